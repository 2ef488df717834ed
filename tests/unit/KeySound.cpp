// The key-click sound: read whole into memory, refused when the file cannot be played
// whole, and played (counted by the emulated device) only while one is loaded.
#include <gtest/gtest.h>
#include <cstdio>
#include "DeviceKit.h"
#include "WaitUntil.h"
#include "input/KeySound.h"
#include "input/Keyboard.h"

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

// PlayKeySound's result, and whether the device counted a click (played by a thread
// of the program's own, a moment later).
bool Plays()
{
    DWORD clicks = ReadDeviceDword(L"KeyClicks");
    int played = PlayKeySound(GetModuleHandleW(nullptr));
    WaitUntil([&] { return ReadDeviceDword(L"KeyClicks") != clicks; }, played ? 3000 : 300);
    EXPECT_EQ(played ? clicks + 1 : clicks, ReadDeviceDword(L"KeyClicks")) << "result and sound disagree";
    return played == 1;
}

struct KeySound : ::testing::Test {
    void TearDown() override
    {
        FreeKeySound();
        DeleteFileW(kSoundPath);
    }
};

TEST_F(KeySound, WholeWaveFileIsLoadedAndPlayedUntilFreed)
{
    WriteFileBytes(kSoundPath, Wave(400));
    ASSERT_EQ(1, LoadKeySound(kSoundPath));
    EXPECT_TRUE(Plays());
    // A file that cannot be opened leaves the loaded sound in place.
    EXPECT_EQ(0, LoadKeySound(L"C:\\no-such-folder\\soundkb.wav"));
    EXPECT_TRUE(Plays());
    FreeKeySound();
    EXPECT_FALSE(Plays());
}

// An empty, cut or foreign file loads no sound, rather than handing garbage to the
// sound system; an earlier sound is gone too.
TEST_F(KeySound, IncompleteSoundFilesLoadNothing)
{
    const std::string broken[] = {"", Wave(400, 100), Wave(400).substr(0, 10), "MZ this is no sound file at all"};
    for (const std::string& bytes : broken) {
        WriteFileBytes(kSoundPath, Wave(400));
        ASSERT_EQ(1, LoadKeySound(kSoundPath));
        WriteFileBytes(kSoundPath, bytes);
        EXPECT_EQ(0, LoadKeySound(kSoundPath)) << bytes.size() << " bytes";
        EXPECT_FALSE(Plays()) << bytes.size() << " bytes";
    }
}

} // namespace
