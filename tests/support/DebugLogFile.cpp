#include "DebugLogFile.h"
#include <windows.h>
#include <regex>
#include <sstream>
#include "DeviceKit.h"

// The device's root is the emulated device's drive C:.
static const std::wstring s_debugLogPath = std::wstring(L"C:") + kDebugLogFile;
const wchar_t* const kDebugLogPath = s_debugLogPath.c_str();

void DeleteDebugLog() { DeleteFileW(kDebugLogPath); }

bool DebugLogExists() { return GetFileAttributesW(kDebugLogPath) != INVALID_FILE_ATTRIBUTES; }

std::string ReadDebugLogText()
{
    std::string text;
    return ReadSharedFile(kDebugLogPath, &text) ? text : std::string();
}

std::vector<std::string> ReadDebugLogMessages()
{
    static const std::regex stamp(R"(^[ 0-9]\d:[ 0-9]\d:[ 0-9]\d@-?\d+\.\d{3}/-?\d+\.\d{3}: )");
    std::vector<std::string> messages;
    std::istringstream in(ReadDebugLogText());
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        messages.push_back(std::regex_replace(line, stamp, "", std::regex_constants::format_first_only));
    }
    return messages;
}

int FindMessage(const std::vector<std::string>& messages, const std::string& prefix, int from)
{
    for (int i = from; i < (int)messages.size(); ++i)
        if (messages[i].compare(0, prefix.size(), prefix) == 0)
            return i;
    return -1;
}
