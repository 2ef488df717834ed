// Starting device programs (the driver simulator among them) and finding their windows.
#include "DeviceKit.h"
#include <tlhelp32.h>

HANDLE StartProgram(const std::wstring& exePath, const std::wstring& arguments, DWORD* processId)
{
    std::wstring commandLine = L"\"" + exePath + L"\"";
    if (!arguments.empty())
        commandLine += L" " + arguments;
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(0);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(exePath.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info))
        return nullptr;
    CloseHandle(info.hThread);
    if (processId)
        *processId = info.dwProcessId;
    return info.hProcess;
}

int RunProgram(const std::wstring& exePath, const std::wstring& arguments, DWORD timeoutMs)
{
    HANDLE process = StartProgram(exePath, arguments);
    if (!process)
        return -1;
    int result = -1;
    if (WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0) {
        DWORD code = 0;
        if (GetExitCodeProcess(process, &code))
            result = (int)code;
    } else
        TerminateProcess(process, 255);
    CloseHandle(process);
    return result;
}

int RunUsbsim(const std::string& script, std::string* output, DWORD timeoutMs)
{
    // One command line: usbsim -c "LINE; LINE; ..." (usbsim takes ';' for a line break).
    std::string commands;
    for (char ch : script)
        commands += ch == '\n' ? ';' : ch;
    std::wstring outputFile = NewScratchFile(L"usbsim-output");
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE out = CreateFileW(outputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    std::wstring exe = DeviceProgramPath(L"usbsim.exe");
    std::wstring commandLine = L"\"" + exe + L"\" -c \"" + FromUtf8(commands) + L"\"";
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(0);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = startup.hStdError = out;
    PROCESS_INFORMATION info = {};
    int result = -1;
    if (CreateProcessW(exe.c_str(), buffer.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info)) {
        DWORD code = 0;
        if (WaitForSingleObject(info.hProcess, timeoutMs) == WAIT_OBJECT_0 && GetExitCodeProcess(info.hProcess, &code))
            result = (int)code;
        else
            TerminateProcess(info.hProcess, 255);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
    if (out != INVALID_HANDLE_VALUE)
        CloseHandle(out);
    if (output && !ReadSharedFile(outputFile, output))
        output->clear();
    DeleteFileW(outputFile.c_str());
    return result;
}

size_t CountProcesses(const wchar_t* exeName)
{
    size_t count = 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return 0;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        count += _wcsicmp(entry.szExeFile, exeName) == 0;
    CloseHandle(snapshot);
    return count;
}

HWND WaitForWindow(const wchar_t* className, const wchar_t* title, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        HWND window = FindWindowW(className, title);
        if (window || GetTickCount() - start >= timeoutMs)
            return window;
        Sleep(20);
    }
}

std::string ToUtf8(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), (int)text.size(), nullptr, 0, nullptr, nullptr);
    std::string result((size_t)(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), (int)text.size(), &result[0], bytes, nullptr, nullptr);
    return result;
}

std::wstring FromUtf8(const std::string& text)
{
    if (text.empty())
        return std::wstring();
    int chars = MultiByteToWideChar(CP_UTF8, 0, text.data(), (int)text.size(), nullptr, 0);
    std::wstring result((size_t)(chars > 0 ? chars : 0), L'\0');
    if (chars > 0)
        MultiByteToWideChar(CP_UTF8, 0, text.data(), (int)text.size(), &result[0], chars);
    return result;
}

bool ReadSharedFile(const std::wstring& path, std::string* text)
{
    // The recorder and the stand-ins keep writing while tests read: share everything.
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    text->clear();
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        text->append(buffer, got);
    CloseHandle(file);
    return true;
}

bool ProcessorTime(DWORD processId, ULONGLONG* time100ns)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return false;
    *time100ns = 0;
    bool found = false;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != processId)
            continue;
        HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID);
        FILETIME created, exited, kernel, user;
        if (thread && GetThreadTimes(thread, &created, &exited, &kernel, &user)) {
            auto value = [](FILETIME t) { return ((ULONGLONG)t.dwHighDateTime << 32) | t.dwLowDateTime; };
            *time100ns += value(kernel) + value(user);
            found = true;
        }
        if (thread)
            CloseHandle(thread);
    }
    CloseHandle(snapshot);
    return found;
}
