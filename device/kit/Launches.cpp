// The launch log written by the platform-program stand-ins.
#include "DeviceKit.h"
#include <sstream>

const wchar_t kLaunchLogPath[] = L"C:\\emulated\\launches.txt";

bool AppendLaunch(const std::wstring& line)
{
    CreateDirectoryW(L"C:\\emulated", nullptr);
    HANDLE file = CreateFileW(kLaunchLogPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    std::string text = ToUtf8(line) + "\n";
    DWORD written = 0;
    bool ok = WriteFile(file, text.data(), (DWORD)text.size(), &written, nullptr) && written == text.size();
    CloseHandle(file);
    return ok;
}

std::vector<std::wstring> ReadLaunches()
{
    std::vector<std::wstring> lines;
    std::string text;
    if (!ReadSharedFile(kLaunchLogPath, &text))
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

void ClearLaunches() { DeleteFileW(kLaunchLogPath); }

std::vector<std::wstring> WaitForLaunches(size_t count, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        std::vector<std::wstring> lines = ReadLaunches();
        if (lines.size() >= count || GetTickCount() - start >= timeoutMs)
            return lines;
        Sleep(50);
    }
}
