// Data files damaged or forged on purpose: a key-click sound whose chunk sizes lie,
// a picture whose header asks for a gigabyte, a cursor strip smaller than a cell.
// Each is refused before anything is allocated for it, and the program goes on with
// what it has without them.
#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>
#include <aygshell.h>
#include <string>
#include "AppKey.h"
#include "core/InstallPath.h"
#include "core/ScreenMetrics.h"
#include "input/Cursor.h"
#include "input/CursorImage.h"
#include "input/KeySound.h"

namespace {

const wchar_t kFolder[] = L"C:\\hostile";

std::string Dword(DWORD v) { return std::string((const char*)&v, 4); }
std::string Word(WORD v) { return std::string((const char*)&v, 2); }
std::string Chunk(const char* id, DWORD declared, const std::string& body) { return id + Dword(declared) + body; }
std::string Format(WORD channels) { return Word(1) + Word(channels) + Dword(8000) + Dword(8000) + Word(1) + Word(8); }
const std::string kFormat = Format(1);
const std::string kSamples(64, (char)0x80);

std::string Riff(const std::string& body) { return "RIFF" + Dword((DWORD)body.size() + 4) + "WAVE" + body; }

std::wstring WriteTestFile(const wchar_t* name, const std::string& bytes)
{
    CreateDirectoryW(kFolder, nullptr);
    std::wstring path = std::wstring(kFolder) + L"\\" + name;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, nullptr);
    CloseHandle(file);
    return path;
}

TEST(HostileFiles, SoundWhoseChunksDoNotFitTheFileLoadsNothing)
{
    struct Case {
        const char* what;
        std::string file;
    } cases[] = {
        {"fmt size 0x40000000", Riff(Chunk("fmt ", 0x40000000, kFormat) + Chunk("data", 64, kSamples))},
        {"LIST of 0x7FFFFFF0 before fmt",
         Riff(Chunk("LIST", 0x7FFFFFF0, "INFO") + Chunk("fmt ", 16, kFormat) + Chunk("data", 64, kSamples))},
        {"data larger than the file", Riff(Chunk("fmt ", 16, kFormat) + Chunk("data", 0x10000, kSamples))},
        {"data before fmt", Riff(Chunk("data", 64, kSamples) + Chunk("fmt ", 16, kFormat))},
        {"fmt too short", Riff(Chunk("fmt ", 8, kFormat.substr(0, 8)) + Chunk("data", 64, kSamples))},
        {"no channels", Riff(Chunk("fmt ", 16, Format(0)) + Chunk("data", 64, kSamples))},
        {"RIFF size past the end", "RIFF" + Dword(0xFFFFFFF0) + "WAVE" + Chunk("fmt ", 16, kFormat)},
    };
    const std::string whole = Riff(Chunk("fmt ", 16, kFormat) + Chunk("LIST", 3, "abc") + std::string(1, 0) +
                                   Chunk("data", 64, kSamples));
    ASSERT_EQ(1, LoadKeySound(WriteTestFile(L"whole.wav", whole).c_str())) << "a padded LIST chunk is allowed";
    EXPECT_EQ(1, PlayKeySound(GetModuleHandleW(nullptr)));
    for (const Case& c : cases) {
        EXPECT_EQ(0, LoadKeySound(WriteTestFile(L"damaged.wav", c.file).c_str())) << c.what;
        EXPECT_EQ(0, PlayKeySound(GetModuleHandleW(nullptr))) << c.what << ": a damaged sound reached the player";
    }
    FreeKeySound();
}

// A JPEG frame header that declares 16384 x 16384 pixels, in 160 bytes.
std::string OversizedJpeg()
{
    std::string jpeg = "\xFF\xD8";
    jpeg += std::string("\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00", 18);
    jpeg += std::string("\xFF\xC0\x00\x11\x08\x40\x00\x40\x00\x03\x01\x11\x00\x02\x11\x00\x03\x11\x00", 19);
    jpeg += std::string("\xFF\xDA\x00\x0C\x03\x01\x00\x02\x11\x03\x11\x00\x3F\x00", 14);
    jpeg += std::string(160 - jpeg.size() - 2, '\0') + "\xFF\xD9";
    return jpeg;
}

SIZE_T PrivateBytes()
{
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), (PROCESS_MEMORY_COUNTERS*)&counters, sizeof counters);
    return counters.PrivateUsage;
}

TEST(HostileFiles, PictureTooLargeForTheDeviceIsRefusedBeforeDecoding)
{
    std::wstring path = WriteTestFile(L"huge.jpg", OversizedJpeg());
    SIZE_T before = PrivateBytes();
    EXPECT_EQ(nullptr, SHLoadImageFile(path.c_str()));
    EXPECT_LT(PrivateBytes() - before, (SIZE_T)16 * 1024 * 1024) << "the refused picture was decoded all the same";
}

// A 24-bit bottom-up BMP of 5 x 5 pixels: the loader decodes it whatever its name.
std::string TinyBitmap()
{
    const DWORD rowBytes = 16, pixels = 5 * rowBytes;
    std::string bmp = "BM" + Dword(54 + pixels) + Dword(0) + Dword(54);
    bmp += Dword(40) + Dword(5) + Dword(5) + Word(1) + Word(24) + Dword(0) + Dword(pixels) + Dword(2835) +
           Dword(2835) + Dword(0) + Dword(0);
    return bmp + std::string(pixels, '\0'); // black
}

TEST(HostileFiles, CursorStripSmallerThanACellGivesTheBuiltInArrow)
{
    ComputeSize();
    CreateDirectoryW(kFolder, nullptr);
    CreateDirectoryW(L"C:\\hostile\\images", nullptr);
    WriteTestFile(L"images\\cursors_f1.jpg", TinyBitmap());
    DeleteAppKey();
    SetText(kInstallPathValue, L"\\hostile");
    ClearInstallPathCache();

    CursorState state = {};
    LoadCursorImage(state);
    BITMAP info = {};
    ASSERT_TRUE(state.cursorImage && GetObjectW(state.cursorImage, sizeof info, &info));
    EXPECT_EQ(DRAX(10), info.bmWidth);
    EXPECT_EQ(DRAY(20), info.bmHeight);
    // The arrow leaves its cell's corner opposite the tip transparent, where a black
    // box would not.
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, state.cursorImage);
    EXPECT_EQ(RGB(255, 0, 255), GetPixel(dc, info.bmWidth - 1, info.bmHeight - 1));
    SelectObject(dc, previous);
    DeleteDC(dc);
    FreeCursorImage(state);
    ClearInstallPathCache();
}

} // namespace
