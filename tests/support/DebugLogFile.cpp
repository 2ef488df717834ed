#include "DebugLogFile.h"
#include <windows.h>
#include <regex>
#include <sstream>
#include "DeviceKit.h"

const wchar_t kDebugLogPath[] = L"C:\\ui.tray.dbg";

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
