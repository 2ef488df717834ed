// A program stand-in (bthbond.exe, iexplore.exe, and demoapp.exe, which the device
// copies as its programs below \Program Files): notes how it was started in the
// launch log, under its own lower-case file name, and ends.
#include "DeviceKit.h"
#include <cwctype>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name = path;
    size_t slash = name.find_last_of(L"\\/");
    if (slash != std::wstring::npos)
        name = name.substr(slash + 1);
    for (wchar_t& ch : name)
        ch = (wchar_t)towlower(ch);
    std::wstring arguments = CommandArguments(GetCommandLineW());
    std::wstring line = arguments.empty() ? name : name + L" " + arguments;
    return AppendLaunch(line) ? 0 : 1;
}
