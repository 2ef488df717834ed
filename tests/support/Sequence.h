// Recorded sequences (a recorder's input, debug-log messages) compared with a table
// of expected entries, in the manner of Wine's message-sequence tests.
#pragma once
#include <string>
#include <vector>

// Entry i of `recorded` must begin with expected[i], with nothing missing and nothing
// extra. A mismatch fails the test at the caller's line, naming the first entry that
// differs and showing both sequences. Returns whether they matched.
bool ExpectSequence(const std::vector<std::string>& recorded, const std::vector<std::string>& expected,
                    const char* file = __builtin_FILE(), int line = __builtin_LINE());

// The entries that begin with `prefix`, in order: e.g. the "TERM" lines of a log.
std::vector<std::string> Starting(const std::vector<std::string>& entries, const std::string& prefix);
