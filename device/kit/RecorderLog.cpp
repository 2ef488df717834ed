// The recorder's event file: one text line per input message.
#include "DeviceKit.h"
#include <cstdio>
#include <sstream>

std::string FormatRecorderEvent(const RecorderEvent& e)
{
    char line[160];
    snprintf(line, sizeof line, "%lu %s %d %d %d %u %u", (unsigned long)e.time, e.kind.c_str(), e.x, e.y, e.delta,
             e.vk, e.scan);
    return line;
}

bool ParseRecorderLine(const std::string& line, RecorderEvent* event)
{
    if (line.empty() || line[0] == '#')
        return false;
    std::istringstream in(line);
    RecorderEvent e;
    unsigned long time = 0;
    if (!(in >> time >> e.kind >> e.x >> e.y >> e.delta >> e.vk >> e.scan))
        return false;
    e.time = (DWORD)time;
    *event = e;
    return true;
}

std::vector<RecorderEvent> ReadRecorderFile(const std::wstring& path)
{
    std::vector<RecorderEvent> events;
    std::string text;
    if (!ReadSharedFile(path, &text))
        return events;
    // A line still being written has no line break yet: leave it for the next read.
    size_t end = text.rfind('\n');
    text.resize(end == std::string::npos ? 0 : end + 1);
    std::istringstream in(text);
    RecorderEvent e;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (ParseRecorderLine(line, &e))
            events.push_back(e);
    }
    return events;
}
