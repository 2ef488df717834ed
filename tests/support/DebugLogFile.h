// The program's debug log as the tests read it: "\ui.tray.dbg" at the device's root.
#pragma once
#include <string>
#include <vector>

extern const wchar_t* const kDebugLogPath; // C:\ui.tray.dbg

void DeleteDebugLog();
bool DebugLogExists();
// The whole file as text.
std::string ReadDebugLogText();
// The lines' messages, the time stamp and memory figures taken off. A message
// that began with line breaks yields its lines one by one.
std::vector<std::string> ReadDebugLogMessages();
// Index of the first message at or after `from` that starts with `prefix`, or -1.
int FindMessage(const std::vector<std::string>& messages, const std::string& prefix, int from = 0);
