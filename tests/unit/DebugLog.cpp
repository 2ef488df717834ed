// The debug log file, its line format and its limits.
#include <gtest/gtest.h>
#include <regex>
#include <string>
#include "AppKey.h"
#include "DebugLogFile.h"
#include "core/DebugLog.h"
#include "InstallContract.h"

namespace {

struct DebugLogFileTest : ::testing::Test {
    void SetUp() override
    {
        RemoveDirectoryW(kDebugLogPath);
        DeleteDebugLog();
        g_debugEnabled = 1;
    }
    void TearDown() override
    {
        g_debugEnabled = 0;
        RemoveDirectoryW(kDebugLogPath);
        DeleteDebugLog();
    }
};

TEST_F(DebugLogFileTest, SwitchedOffNothingIsCreatedOrTouched)
{
    g_debugEnabled = 0;
    DebugLog(L"nothing %d", 1);
    EXPECT_FALSE(DebugLogExists());

    g_debugEnabled = 1;
    DebugLog(L"kept");
    std::string before = ReadDebugLogText();
    g_debugEnabled = 0;
    DebugLog(L"dropped");
    EXPECT_EQ(before, ReadDebugLogText());
}

TEST_F(DebugLogFileTest, StampPadsWithBlanksAndShowsTheMemoryFigures)
{
    SYSTEMTIME t = {};
    t.wHour = 9;
    t.wMinute = 5;
    t.wSecond = 3;
    WCHAR stamp[LOG_STAMP_CHARS];
    FormatLogStamp(stamp, t, 32u << 20, (32u << 20) + (1u << 19));
    EXPECT_STREQ(L" 9: 5: 3@32.000/0.500: ", stamp);

    t.wHour = 23;
    t.wMinute = 59;
    t.wSecond = 10;
    FormatLogStamp(stamp, t, 3u << 20, 2u << 20);
    EXPECT_STREQ(L"23:59:10@3.000/-1.000: ", stamp) << "more memory than at the first line is a negative loss";
}

TEST_F(DebugLogFileTest, FirstLineOfAProcessShowsNoMemoryLost)
{
    DebugLog(L"first");
    std::string text = ReadDebugLogText();
    std::smatch m;
    ASSERT_TRUE(std::regex_search(text, m, std::regex(R"(^[ \d]\d:[ \d]\d:[ \d]\d@(\d+\.\d{3})/(-?\d+\.\d{3}): first\r?\n$)")))
        << text;
    EXPECT_NEAR(0.0, std::stod(m[2]), 0.05);
    EXPECT_GT(std::stod(m[1]), 0.0);
}

TEST_F(DebugLogFileTest, LeadingBreaksPutTheHeaderOnLinesOfItsOwn)
{
    DebugLog(L"\n\nInit tray app.\n--------------------------\nDevice: [%s]", L"Emulated");
    auto messages = ReadDebugLogMessages();
    ASSERT_EQ(5u, messages.size());
    EXPECT_EQ("", messages[0]) << "the time stamp stands alone on the first line";
    EXPECT_EQ("", messages[1]);
    EXPECT_EQ("Init tray app.", messages[2]);
    EXPECT_EQ("--------------------------", messages[3]);
    EXPECT_EQ("Device: [Emulated]", messages[4]);
}

TEST_F(DebugLogFileTest, ArgumentsArePrintedAsTheyAreAndLongMessagesAreCut)
{
    DebugLog(L"value [%s] %d", L"100% %s %d", 7);
    std::wstring huge(20000, L'a');
    DebugLog(L"%s", huge.c_str());
    DebugLog(L"after");
    auto messages = ReadDebugLogMessages();
    ASSERT_EQ(3u, messages.size());
    EXPECT_EQ("value [100% %s %d] 7", messages[0]);
    EXPECT_EQ(std::string(10239, 'a'), messages[1]);
    EXPECT_EQ("after", messages[2]) << "the cut line still ends with a line break";
}

TEST_F(DebugLogFileTest, LinesFromConcurrentThreadsAreAllKept)
{
    const int threads = 4, lines = 150;
    HANDLE handles[threads];
    for (int t = 0; t < threads; ++t)
        handles[t] = CreateThread(
            nullptr, 0,
            [](LPVOID arg) WINAPI -> DWORD {
                for (int i = 0; i < lines; ++i)
                    DebugLog(L"thread %d line %d", (int)(INT_PTR)arg, i);
                return 0;
            },
            (LPVOID)(INT_PTR)t, 0, nullptr);
    WaitForMultipleObjects(threads, handles, TRUE, 60000);
    for (HANDLE h : handles)
        CloseHandle(h);
    auto messages = ReadDebugLogMessages();
    EXPECT_EQ((size_t)(threads * lines), messages.size());
    for (const auto& m : messages)
        ASSERT_EQ(0u, m.find("thread ")) << "a damaged line: " << m;
}

TEST_F(DebugLogFileTest, UnopenableFileDropsTheLineAndCarriesOn)
{
    ASSERT_TRUE(CreateDirectoryW(kDebugLogPath, nullptr)); // a folder where the file should be
    DebugLog(L"lost %d", 1);
    DWORD attributes = GetFileAttributesW(kDebugLogPath);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

namespace {

// The log's lock is held across processes under its contract name.
DWORD WINAPI HoldLogLockAndEnd(LPVOID)
{
    HANDLE lock = OpenMutexW(SYNCHRONIZE, FALSE, kDebugLogLock);
    WaitForSingleObject(lock, INFINITE);
    return 0; // ends owning it, as a thread killed in the middle of a line would
}

DWORD WINAPI HoldLogLockLong(LPVOID done)
{
    HANDLE lock = OpenMutexW(SYNCHRONIZE, FALSE, kDebugLogLock);
    WaitForSingleObject(lock, INFINITE);
    WaitForSingleObject((HANDLE)done, 30000);
    ReleaseMutex(lock);
    CloseHandle(lock);
    return 0;
}

DWORD WINAPI LogOneLine(LPVOID text)
{
    DebugLog(L"%s", (const wchar_t*)text);
    return 0;
}

// Runs DebugLog on a thread of its own; false when it did not return in time.
bool LogReturns(const wchar_t* text)
{
    HANDLE thread = CreateThread(nullptr, 0, LogOneLine, (LPVOID)text, 0, nullptr);
    bool returned = WaitForSingleObject(thread, 10000) == WAIT_OBJECT_0;
    CloseHandle(thread);
    return returned;
}

TEST_F(DebugLogFileTest, AHolderThatDiedOrHangsNeverBlocksTheLog)
{
    DebugLog(L"first"); // the lock exists from here on

    HANDLE died = CreateThread(nullptr, 0, HoldLogLockAndEnd, nullptr, 0, nullptr);
    WaitForSingleObject(died, 5000);
    CloseHandle(died);
    ASSERT_TRUE(LogReturns(L"after a holder died"));
    EXPECT_GE(FindMessage(ReadDebugLogMessages(), "after a holder died"), 0);

    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE hangs = CreateThread(nullptr, 0, HoldLogLockLong, done, 0, nullptr);
    Sleep(200);
    EXPECT_TRUE(LogReturns(L"while a holder hangs")) << "the log waited for good";
    SetEvent(done);
    WaitForSingleObject(hangs, 5000);
    CloseHandle(hangs);
    CloseHandle(done);
}

} // namespace
