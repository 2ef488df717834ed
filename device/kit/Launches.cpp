// The logs of the platform programs: the launch log of the stand-ins and the
// control panel's log of the applets it opened.
#include "DeviceKit.h"
#include <sstream>

const wchar_t kLaunchLogPath[] = L"C:\\emulated\\launches.txt";
const wchar_t kControlPanelLogPath[] = L"C:\\emulated\\ctlpnl.txt";

bool AppendTextLine(const wchar_t* path, const std::wstring& line)
{
    CreateDirectoryW(L"C:\\emulated", nullptr);
    HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    std::string text = ToUtf8(line) + "\n";
    DWORD written = 0;
    bool ok = WriteFile(file, text.data(), (DWORD)text.size(), &written, nullptr) && written == text.size();
    CloseHandle(file);
    return ok;
}

std::vector<std::wstring> ReadTextLines(const wchar_t* path)
{
    std::vector<std::wstring> lines;
    std::string text;
    if (!ReadSharedFile(path, &text))
        return lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            lines.push_back(FromUtf8(line));
    }
    return lines;
}

bool AppendLaunch(const std::wstring& line) { return AppendTextLine(kLaunchLogPath, line); }
std::vector<std::wstring> ReadLaunches() { return ReadTextLines(kLaunchLogPath); }
void ClearLaunches() { DeleteFileW(kLaunchLogPath); }

std::vector<std::wstring> WaitForTextLines(const wchar_t* path, size_t count, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        std::vector<std::wstring> lines = ReadTextLines(path);
        if (lines.size() >= count || GetTickCount() - start >= timeoutMs)
            return lines;
        Sleep(50);
    }
}

std::vector<std::wstring> WaitForLaunches(size_t count, DWORD timeoutMs)
{
    return WaitForTextLines(kLaunchLogPath, count, timeoutMs);
}

std::wstring CommandArguments(const wchar_t* commandLine)
{
    const wchar_t* p = commandLine;
    if (*p == L'"') {
        ++p;
        while (*p && *p != L'"')
            ++p;
        if (*p)
            ++p;
    } else {
        while (*p && *p != L' ' && *p != L'\t')
            ++p;
    }
    while (*p == L' ' || *p == L'\t')
        ++p;
    return p;
}
