// usbsim: the USB host driver simulator. Posts the driver's thread messages to the
// listener named by INTRCM, from a script file, from -c "cmd; cmd", or from commands
// typed at the prompt. Exit code: 0 success, 1 bad command or file, 2 INTRCM
// missing, 3 post failed (the listener is gone), 4 window not found.
#include "DeviceKit.h"
#include <cstdio>
#include <cstring>

static int Usage()
{
    fprintf(stderr, "usage: usbsim [SCRIPT | -c \"COMMAND; COMMAND ...\"]\n"
                    "without arguments, commands are read from standard input\n");
    return USB_BAD_COMMAND;
}

static int Report(UsbResult result, const std::string& message, int line, const UsbSession& session)
{
    if (result != USB_OK && !message.empty()) {
        if (line > 0)
            fprintf(stderr, "usbsim: line %d: %s\n", line, message.c_str());
        else
            fprintf(stderr, "usbsim: %s\n", message.c_str());
    }
    printf("usbsim: %u messages posted\n", session.posted);
    fflush(stdout);
    return result;
}

int wmain(int argc, wchar_t** wideArgv)
{
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i)
        args.push_back(ToUtf8(wideArgv[i]));
    std::vector<const char*> argvStore;
    for (const std::string& a : args)
        argvStore.push_back(a.c_str());
    const char* const* argv = argvStore.data();
    UsbSession session;
    std::string message;
    int line = 0;
    if (argc == 3 && strcmp(argv[1], "-c") == 0) {
        std::string script = argv[2];
        for (char& ch : script)
            if (ch == ';')
                ch = '\n';
        UsbResult r = RunUsbScript(session, script, &message, &line);
        return Report(r, message, line, session);
    }
    if (argc == 2 && strcmp(argv[1], "-") != 0) {
        FILE* file = _wfopen(wideArgv[1], L"rb");
        if (!file) {
            fprintf(stderr, "usbsim: cannot open %s\n", argv[1]);
            return USB_BAD_COMMAND;
        }
        std::string script;
        char buffer[4096];
        size_t got;
        while ((got = fread(buffer, 1, sizeof buffer, file)) > 0)
            script.append(buffer, got);
        fclose(file);
        UsbResult r = RunUsbScript(session, script, &message, &line);
        return Report(r, message, line, session);
    }
    if (argc > 2)
        return Usage();

    // Interactive: a failing command is reported and the prompt continues, except
    // that a listener that has gone away ends the session.
    bool prompt = argc == 1;
    char text[1024];
    UsbResult last = USB_OK;
    for (;;) {
        if (prompt) {
            printf("usbsim> ");
            fflush(stdout);
        }
        if (!fgets(text, sizeof text, stdin))
            break;
        ++line;
        std::string command = text;
        while (!command.empty() && (command.back() == '\n' || command.back() == '\r'))
            command.pop_back();
        if (command == "quit" || command == "exit")
            break;
        UsbResult r = RunUsbCommand(session, command, &message);
        if (r != USB_OK) {
            fprintf(stderr, "usbsim: line %d: %s\n", line, message.c_str());
            last = r;
            if (r == USB_POST_FAILED || r == USB_NO_LISTENER)
                return Report(r, "", 0, session);
        }
    }
    return Report(last, message, 0, session);
}
