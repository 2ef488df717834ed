// Keys through the real program and the backlight it holds while input arrives, as
// the foreground application, the debug log and the emulated device's power state
// show them.
#include "Driver.h"
#include "PelorinTest.h"
#include "Recorder.h"

namespace {

struct KeysThroughPelorin : PelorinTest {
    Recorder recorder;

    void Key(BYTE vk, BYTE scan, DWORD flags) { ASSERT_TRUE(PostToListener(TM_KBREPORT, PackKeyReport(vk, scan), flags)); }

    // Waits until the listener has handled everything posted so far.
    void Drain()
    {
        static int marker = 800000;
        ++marker;
        ASSERT_TRUE(PostToListener(TM_BLUETOOTH, marker, 0));
        ASSERT_TRUE(WaitForLog("TM_BLUETOOTH: " + std::to_string(marker), 10000));
    }

    int Count(const std::string& message) const
    {
        int n = 0;
        for (const std::string& line : Log())
            n += line == message;
        return n;
    }

    // Polls for a log message; the tick at which it was first seen, or 0.
    DWORD WaitForLogTick(const std::string& message, DWORD timeoutMs) const
    {
        DWORD seen = 0;
        WaitUntil([&] { return FindMessage(Log(), message) >= 0 && (seen = GetTickCount()) != 0; }, timeoutMs);
        return seen;
    }
};

// Presses and releases reach the application in order, with the key-click sound on
// and with the sound file missing. (The sound itself cannot be heard here: the
// platform keeps no count of played sounds.)
TEST_F(KeysThroughPelorin, KeysReachTheApplicationWithOrWithoutTheSoundFile)
{
    ASSERT_EQ(1u, GetDword(L"KBSounds"));
    ASSERT_TRUE(recorder.Start());
    for (bool soundFile : {true, false}) {
        if (!soundFile) {
            ASSERT_TRUE(DeleteFileW(InstalledFile(L"", L"soundkb.wav").c_str()));
        }
        ASSERT_TRUE(StartRunning());
        size_t mark = recorder.Mark();
        Key('K', 0x25, 0);
        Key('K', 0x25, KEYEVENTF_KEYUP);
        Key(VK_RETURN, 0x1C, 0);
        Key(VK_RETURN, 0x1C, KEYEVENTF_KEYUP);
        std::vector<RecorderEvent> ups = recorder.WaitForCount("keyup", 2, mark);
        ASSERT_EQ(2u, ups.size()) << (soundFile ? "with" : "without") << " the sound file";
        std::string keys;
        for (const RecorderEvent& e : recorder.Events())
            if (e.kind == "keydown" || e.kind == "keyup")
                keys += e.kind + " " + std::to_string(e.vk) + "/" + std::to_string(e.scan) + ", ";
        EXPECT_NE(std::string::npos, keys.find("keydown 75/37, keyup 75/37, keydown 13/28, keyup 13/28, "))
            << (soundFile ? "with" : "without") << " the sound file: " << keys;
        EXPECT_EQ(0, CloseRunning());
    }
}

// With Enable_KB 0 nothing of a key report happens, not even the backlight. With no
// BacklightTimeout value the backlight taken by mouse input goes at the first check.
TEST_F(KeysThroughPelorin, DisabledKeyboardAndZeroTimeout)
{
    SetDword(L"Enable_KB", 0);
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, APP_KEY, L"BacklightTimeout");
    ASSERT_FALSE(HasValue(L"BacklightTimeout"));
    ASSERT_TRUE(recorder.Start());
    ASSERT_TRUE(StartRunning());
    DWORD requests = ReadDeviceDword(L"BacklightRequests"), backlight = ReadDeviceDword(L"Backlight");
    size_t mark = recorder.Mark();
    Key('Z', 0x2C, 0);
    Key('Z', 0x2C, KEYEVENTF_KEYUP);
    Drain();
    Sleep(300);
    EXPECT_EQ(mark, recorder.Mark()) << "a key reached the application";
    EXPECT_EQ(0, Count("SetBacklightRequirement(1)"));
    EXPECT_EQ(requests, ReadDeviceDword(L"BacklightRequests"));
    EXPECT_EQ(backlight, ReadDeviceDword(L"Backlight"));

    ASSERT_TRUE(PostToListener(TM_MOUSESTATUS, 1, 0));
    ASSERT_TRUE(PostToListener(TM_MOUSEREPORT, PackMouseReport(0, 30, 60), 0));
    Drain();
    DWORD input = GetTickCount();
    EXPECT_EQ(1u, ReadDeviceDword(L"Backlight"));
    DWORD released = WaitForLogTick("PowerTimeoutThread LCD Timeout (0)", 8000);
    ASSERT_NE(0u, released);
    EXPECT_LT(released - input, 6500u) << "released later than the next check";
    EXPECT_TRUE(WaitUntil([] { return ReadDeviceDword(L"Backlight") == 0; }, 1000));
}

struct BacklightThroughPelorin : KeysThroughPelorin {};

// Typing takes the backlight once; it goes between T and T + 5 s after the last
// key, is taken again by the next key, and is given back at shutdown.
TEST_F(BacklightThroughPelorin, HeldWhileTypingReleasedAfterTheQuietTime)
{
    InstallOptions options;
    options.backlightTimeout = 1500;
    Reinstall(options);
    ASSERT_TRUE(StartRunning());
    DWORD requests = ReadDeviceDword(L"BacklightRequests"), releases = ReadDeviceDword(L"BacklightReleases");

    DWORD lastKey = 0;
    for (int i = 0; i < 20; ++i) {
        lastKey = GetTickCount();
        Key((BYTE)('A' + i / 2), 0x1E, i % 2 ? KEYEVENTF_KEYUP : 0); // press, release, next key
        Sleep(40);
    }
    Drain();
    DWORD handled = GetTickCount();
    EXPECT_EQ(requests + 1, ReadDeviceDword(L"BacklightRequests"));
    EXPECT_EQ(1u, ReadDeviceDword(L"Backlight"));
    EXPECT_EQ(1, Count("SetBacklightRequirement(1)"));

    DWORD released = WaitForLogTick("PowerTimeoutThread LCD Timeout (1500)", 9000);
    ASSERT_NE(0u, released);
    EXPECT_GE(released - lastKey, 1500u) << "released before the quiet time";
    EXPECT_LT(released - handled, 1500u + 5000u + 1500u) << "released long after the check due";
    EXPECT_EQ(1, Count("SetBacklightRequirement(0)"));
    EXPECT_TRUE(WaitUntil([] { return ReadDeviceDword(L"Backlight") == 0; }, 1000));
    EXPECT_EQ(releases + 1, ReadDeviceDword(L"BacklightReleases"));

    Key('B', 0x30, 0);
    Key('B', 0x30, KEYEVENTF_KEYUP);
    Drain();
    EXPECT_EQ(2, Count("SetBacklightRequirement(1)"));
    EXPECT_EQ(requests + 2, ReadDeviceDword(L"BacklightRequests"));

    EXPECT_EQ(0, CloseRunning());
    std::vector<std::string> log = Log();
    int term = FindMessage(log, "TERM: ");
    ASSERT_GE(term, 0);
    EXPECT_GT(FindMessage(log, "SetBacklightRequirement(0)", term), term) << "still held at shutdown";
    EXPECT_EQ(0u, ReadDeviceDword(L"Backlight"));
    EXPECT_EQ(releases + 2, ReadDeviceDword(L"BacklightReleases"));
}

} // namespace
