// The backlight that the real program holds while input arrives, as its debug log and
// the emulated device's power state show it.
#include "PelorinTest.h"

namespace {

struct BacklightThroughPelorin : PelorinTest {
    void Key(BYTE vk, DWORD flags) { ASSERT_TRUE(Post(TM_KBREPORT, PackKeyReport(vk, 0x1E), flags)); }

    // Polls for a log message; the tick at which it was first seen, or 0.
    DWORD WaitForLogTick(const std::string& message, DWORD timeoutMs) const
    {
        DWORD seen = 0;
        WaitUntil([&] { return !Log(message).empty() && (seen = GetTickCount()) != 0; }, timeoutMs);
        return seen;
    }
};

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
        Key((BYTE)('A' + i / 2), i % 2 ? KEYEVENTF_KEYUP : 0); // press, release, next key
        Sleep(40);
    }
    Drain();
    DWORD handled = GetTickCount();
    EXPECT_EQ(requests + 1, ReadDeviceDword(L"BacklightRequests"));
    EXPECT_EQ(1u, ReadDeviceDword(L"Backlight"));

    DWORD released = WaitForLogTick("PowerTimeoutThread LCD Timeout (1500)", 9000);
    ASSERT_NE(0u, released);
    EXPECT_GE(released - lastKey, 1500u) << "released before the quiet time";
    EXPECT_LT(released - handled, 1500u + 5000u + 1500u) << "released long after the check due";
    EXPECT_TRUE(WaitUntil([] { return ReadDeviceDword(L"Backlight") == 0; }, 1000));
    EXPECT_EQ(releases + 1, ReadDeviceDword(L"BacklightReleases"));

    Key('B', 0);
    Key('B', KEYEVENTF_KEYUP);
    Drain();
    EXPECT_EQ(requests + 2, ReadDeviceDword(L"BacklightRequests"));

    EXPECT_EQ(0, CloseRunning());
    ExpectSequence(Log("SetBacklightRequirement"),
                   {"SetBacklightRequirement(1)", "SetBacklightRequirement(0)", "SetBacklightRequirement(1)",
                    "SetBacklightRequirement(0)"});
    std::vector<std::string> log = Log();
    EXPECT_GT(FindMessage(log, "SetBacklightRequirement(0)", FindMessage(log, "TERM: ")), 0)
        << "not given back at shutdown";
    EXPECT_EQ(0u, ReadDeviceDword(L"Backlight"));
    EXPECT_EQ(releases + 2, ReadDeviceDword(L"BacklightReleases"));
}

} // namespace
