// Key reports injected into the focused window, keys left held released when the
// keyboard goes, and the key-click sound refusing files it cannot play whole.
#include "InputTestSupport.h"
#include <cstdio>
#include "AppState.h"
#include "DeviceKit.h"
#include "DriverProtocol.h"
#include "GUI.h"
#include "Keyboard.h"
#include "KeySound.h"

namespace {

const wchar_t kSoundPath[] = L"C:\\input-test-sound.wav";

void WriteFileBytes(const wchar_t* path, const std::string& bytes)
{
    FILE* f = _wfopen(path, L"wb");
    ASSERT_NE(nullptr, f);
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

// A complete PCM WAVE file of `samples` silent 8-bit samples; `cut` bytes taken off the end.
std::string Wave(DWORD samples, size_t cut = 0)
{
    auto dword = [](DWORD v) { return std::string((const char*)&v, 4); };
    auto word = [](WORD v) { return std::string((const char*)&v, 2); };
    std::string fmt = word(1) + word(1) + dword(8000) + dword(8000) + word(1) + word(8);
    std::string body = "WAVE" + std::string("fmt ") + dword((DWORD)fmt.size()) + fmt + "data" + dword(samples) +
                       std::string(samples, (char)0x80);
    std::string file = "RIFF" + dword((DWORD)body.size()) + body;
    return file.substr(0, file.size() - cut);
}

class InputKeyboard : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_gui.KBSounds = 0;
        window.BringToFront();
        window.Clear();
    }
    void TearDown() override
    {
        ReleaseHeldKeys();
        FreeKeySound();
        DeleteFileW(kSoundPath);
    }
    static EventWindow window;
};
EventWindow InputKeyboard::window;

// A keyboard that goes away never leaves a key held: each key still down is released
// once, with the scan code it was pressed with; released keys are not touched.
TEST_F(InputKeyboard, HeldKeysAreReleasedOnce)
{
    HandleKeyReport(PackKeyReport(VK_SHIFT, 0x2A), 0);
    HandleKeyReport(PackKeyReport('W', 0x11), 0);
    HandleKeyReport(PackKeyReport('E', 0x12), 0);
    HandleKeyReport(PackKeyReport('E', 0x12), KEYEVENTF_KEYUP);
    ASSERT_TRUE(window.WaitFor({WM_KEYUP}, 1));
    window.Clear();
    ReleaseHeldKeys();
    ReleaseHeldKeys();
    ASSERT_TRUE(window.WaitFor({WM_KEYUP}, 2));
    window.Settle();
    std::vector<InputEvent> ups = window.Events({WM_KEYUP, WM_KEYDOWN});
    ASSERT_EQ(2u, ups.size());
    EXPECT_EQ((UINT)VK_SHIFT, ups[0].vk);
    EXPECT_EQ(0x2Au, ups[0].scan);
    EXPECT_EQ((UINT)'W', ups[1].vk);
    EXPECT_EQ((UINT)WM_KEYUP, ups[1].message);
    EXPECT_EQ(0, GetAsyncKeyState(VK_SHIFT) & 0x8000);
}

TEST_F(InputKeyboard, WholeWaveFileIsLoadedAndPlayed)
{
    WriteFileBytes(kSoundPath, Wave(400));
    ASSERT_EQ(1, LoadKeySound(kSoundPath));
    EXPECT_EQ(1, PlayKeySound(GetModuleHandleW(nullptr)));
    g_gui.KBSounds = 1;
    HandleKeyReport(PackKeyReport('A', 0x1E), 0);
    HandleKeyReport(PackKeyReport('A', 0x1E), KEYEVENTF_KEYUP);
    EXPECT_TRUE(window.WaitFor({WM_KEYUP}, 1));

    // A file that cannot be opened leaves the loaded sound in place.
    EXPECT_EQ(0, LoadKeySound(L"C:\\no-such-folder\\soundkb.wav"));
    EXPECT_EQ(1, PlayKeySound(GetModuleHandleW(nullptr)));
    FreeKeySound();
    EXPECT_EQ(0, PlayKeySound(GetModuleHandleW(nullptr)));
}

// An empty, cut or foreign file loads no sound, rather than handing garbage to the
// sound system; an earlier sound is gone too.
TEST_F(InputKeyboard, IncompleteSoundFilesLoadNothing)
{
    const std::string broken[] = {"", Wave(400, 100), Wave(400).substr(0, 10), "MZ this is no sound file at all"};
    for (const std::string& bytes : broken) {
        WriteFileBytes(kSoundPath, Wave(400));
        ASSERT_EQ(1, LoadKeySound(kSoundPath));
        WriteFileBytes(kSoundPath, bytes);
        EXPECT_EQ(0, LoadKeySound(kSoundPath)) << bytes.size() << " bytes";
        EXPECT_EQ(0, PlayKeySound(GetModuleHandleW(nullptr)));
    }
}

TEST_F(InputKeyboard, InstalledClickLoads)
{
    std::wstring path = StageDirectory() + L"\\soundkb.wav";
    EXPECT_EQ(1, LoadKeySound(path.c_str()));
}

} // namespace
