#include "Sequence.h"
#include <gtest/gtest.h>

static std::string Joined(const std::vector<std::string>& entries)
{
    std::string text;
    for (const std::string& entry : entries)
        text += (text.empty() ? "" : " | ") + entry;
    return text.empty() ? "(nothing)" : text;
}

bool ExpectSequence(const std::vector<std::string>& recorded, const std::vector<std::string>& expected,
                    const char* file, int line)
{
    size_t i = 0;
    while (i < recorded.size() && i < expected.size() && recorded[i].compare(0, expected[i].size(), expected[i]) == 0)
        ++i;
    if (i == recorded.size() && i == expected.size())
        return true;
    std::string mismatch = i == expected.size()   ? "unexpected \"" + recorded[i] + "\" after the last expected entry"
                           : i == recorded.size() ? "\"" + expected[i] + "\" was expected, but the sequence ended"
                                                  : "\"" + expected[i] + "\" was expected, got \"" + recorded[i] + "\"";
    ADD_FAILURE_AT(file, line) << "sequences differ at entry " << i + 1 << ": " << mismatch
                               << "\n  expected: " << Joined(expected) << "\n  recorded: " << Joined(recorded);
    return false;
}

std::vector<std::string> Starting(const std::vector<std::string>& entries, const std::string& prefix)
{
    std::vector<std::string> found;
    for (const std::string& entry : entries)
        if (entry.compare(0, prefix.size(), prefix) == 0)
            found.push_back(entry);
    return found;
}
