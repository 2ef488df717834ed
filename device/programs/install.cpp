// install: the installer step on the device. Writes the program key and copies the
// staged files below \Program Files\Vantorix.
//   install.exe [-stage DIR] [-debug 0|1] [-timeout MS] [-nofiles] [-nosettings]
#include "DeviceKit.h"
#include <cstdio>
#include <cwchar>

int wmain(int argc, wchar_t** argv)
{
    InstallOptions options;
    for (int i = 1; i < argc; ++i) {
        if (wcscmp(argv[i], L"-stage") == 0 && i + 1 < argc)
            options.stageDir = argv[++i];
        else if (wcscmp(argv[i], L"-debug") == 0 && i + 1 < argc)
            options.enableDebug = wcstoul(argv[++i], nullptr, 0);
        else if (wcscmp(argv[i], L"-timeout") == 0 && i + 1 < argc)
            options.backlightTimeout = wcstoul(argv[++i], nullptr, 0);
        else if (wcscmp(argv[i], L"-nofiles") == 0)
            options.copyFiles = false;
        else if (wcscmp(argv[i], L"-nosettings") == 0)
            options.writeFirstSettings = false;
        else {
            fprintf(stderr, "usage: install [-stage DIR] [-debug 0|1] [-timeout MS] [-nofiles] [-nosettings]\n");
            return 1;
        }
    }
    std::wstring error;
    if (!InstallProduct(options, &error)) {
        fprintf(stderr, "install: %s\n", ToUtf8(error).c_str());
        return 2;
    }
    printf("install: installed into %s\n", ToUtf8(kInstallFolder).c_str());
    return 0;
}
