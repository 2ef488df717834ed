// The data files the installer places below the install path, read the way the
// program reads them: pictures through SHLoadImageFile with exact key colours,
// the key-click sound as a RIFF/WAVE file, the help page.
#include <gtest/gtest.h>
#include <cstring>
#include <set>
#include "DeviceKit.h"
#include "Picture.h"
#include "aygshell.h"
#include "ce_device_api.h"

namespace {

const COLORREF kMagenta = RGB(255, 0, 255);
const COLORREF kGreen = RGB(0, 255, 0);

std::wstring StagedFile(const wchar_t* relative) { return StageDirectory() + L"\\" + relative; }

// Pixels of one cell that are not the key colour, as a set of positions.
std::set<int> ShapeOf(const Picture& p, int cellX, int w, int h, COLORREF key)
{
    std::set<int> shape;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (p.At(cellX + x, y) != key)
                shape.insert(y * w + x);
    return shape;
}

void CheckCursorStrip(const wchar_t* file, int w, int h)
{
    SCOPED_TRACE(ToUtf8(file));
    Picture p;
    ASSERT_TRUE(LoadPicture(StagedFile(file), &p));
    ASSERT_EQ(p.width, 10 * w);
    ASSERT_EQ(p.height, h);
    std::vector<std::set<int>> shapes;
    for (int i = 0; i < 10; ++i) {
        int left = i * w;
        EXPECT_EQ(p.At(left + w - 3, 3), kMagenta) << "cell " << i << " probe near the top-right";
        EXPECT_EQ(p.At(left + 3, h - 3), kMagenta) << "cell " << i << " probe near the bottom-left";
        shapes.push_back(ShapeOf(p, left, w, h, kMagenta));
        EXPECT_GT(shapes.back().size(), (size_t)(w * h / 20)) << "cell " << i << " is (nearly) empty";
        EXPECT_TRUE(shapes.back().count(0) || shapes.back().count(1) || shapes.back().count(w))
            << "cell " << i << " has no shape at its hot spot";
    }
    for (int i = 0; i < 10; ++i)
        for (int j = i + 1; j < 10; ++j)
            EXPECT_NE(shapes[i], shapes[j]) << "cells " << i << " and " << j << " have the same outline";
}

void CheckKeyedStrip(const wchar_t* file, int width, int height, int cells, COLORREF key)
{
    SCOPED_TRACE(ToUtf8(file));
    Picture p;
    ASSERT_TRUE(LoadPicture(StagedFile(file), &p));
    ASSERT_GE(p.width, width);
    ASSERT_EQ(p.height, height);
    int cell = width / cells;
    for (int i = 0; i < cells; ++i) {
        EXPECT_EQ(p.At(i * cell, 0), key) << "cell " << i << " top-left";
        EXPECT_EQ(p.At(i * cell + cell - 1, height - 1), key) << "cell " << i << " bottom-right";
        EXPECT_GT(ShapeOf(p, i * cell, cell, height, key).size(), (size_t)(cell * height / 10)) << "cell " << i;
    }
}

std::string ReadBytes(const wchar_t* relative)
{
    std::string bytes;
    return ReadSharedFile(StagedFile(relative), &bytes) ? bytes : std::string();
}

} // namespace

TEST(DataFiles, CursorStripsKeepBothProbePixelsOfEveryCellTransparent)
{
    CheckCursorStrip(L"images\\cursors_f1.jpg", 10, 20);
    CheckCursorStrip(L"images\\cursors_f2.jpg", 20, 40);
}

TEST(DataFiles, ButtonAndTreeStripsDecodeToTheirExactKeyColours)
{
    CheckKeyedStrip(L"images\\t0ms_f1.jpg", 240, 36, 5, kMagenta);
    CheckKeyedStrip(L"images\\t0ms_f2.jpg", 480, 72, 5, kMagenta);
    CheckKeyedStrip(L"images\\tva_f1.jpg", 66, 22, 3, kGreen);
    CheckKeyedStrip(L"images\\tvf_f1.jpg", 66, 22, 3, kGreen);
    CheckKeyedStrip(L"images\\tva_f2.jpg", 132, 44, 3, kGreen);
    CheckKeyedStrip(L"images\\tvf_f2.jpg", 132, 44, 3, kGreen);
}

TEST(DataFiles, FramePicturesHaveTheSizesThatAreStretched)
{
    Picture frame, connector;
    ASSERT_TRUE(LoadPicture(StagedFile(L"images\\t0s1_f12.jpg"), &frame));
    ASSERT_TRUE(LoadPicture(StagedFile(L"images\\t0s2_f12.jpg"), &connector));
    EXPECT_EQ(frame.width, 96);
    EXPECT_EQ(frame.height, 130);
    EXPECT_EQ(connector.width, 288);
    EXPECT_EQ(connector.height, 60);
}

TEST(DataFiles, KeyClickIsAShortMono16BitPcmWave)
{
    std::string wav = ReadBytes(L"soundkb.wav");
    ASSERT_GE(wav.size(), 44u);
    EXPECT_EQ(wav.compare(0, 4, "RIFF"), 0);
    EXPECT_EQ(wav.compare(8, 4, "WAVE"), 0);
    size_t fmt = wav.find("fmt ");
    ASSERT_NE(fmt, std::string::npos);
    short format, channels, bits;
    memcpy(&format, &wav[fmt + 8], 2);
    memcpy(&channels, &wav[fmt + 10], 2);
    memcpy(&bits, &wav[fmt + 22], 2);
    EXPECT_EQ(format, 1);
    EXPECT_EQ(channels, 1);
    EXPECT_EQ(bits, 16);
    EXPECT_LT(wav.size(), 16384u); // a click, not a tune
}

TEST(DataFiles, HelpPageDescribesEveryPage)
{
    std::string html = ReadBytes(L"help\\help.html");
    ASSERT_FALSE(html.empty());
    EXPECT_NE(html.find("<html"), std::string::npos);
    for (const char* topic : {"Mouse", "Keyboard", "Status", "About", "Hide", "Cursor", "Speed"})
        EXPECT_NE(html.find(topic), std::string::npos) << topic;
}

// --- The two platform routines the pictures go through -------------------------

TEST(ImageFile, RefusesMissingFilesAndDataThatIsNoPicture)
{
    EXPECT_EQ(SHLoadImageFile(StagedFile(L"images\\no-such-picture.jpg").c_str()), nullptr);
    EXPECT_EQ(SHLoadImageFile(StagedFile(L"help\\help.html").c_str()), nullptr);
    EXPECT_EQ(SHLoadImageFile(L""), nullptr);
    EXPECT_EQ(SHLoadImageFile(nullptr), nullptr);
}

TEST(TransparentImage, DrawsFromABitmapOrADeviceContextLeavingTheKeyOut)
{
    HBITMAP strip = SHLoadImageFile(StagedFile(L"images\\cursors_f1.jpg").c_str());
    ASSERT_NE(strip, nullptr);
    HDC screen = GetDC(nullptr);
    HDC target = CreateCompatibleDC(screen);
    HBITMAP canvas = CreateCompatibleBitmap(screen, 10, 20);
    HGDIOBJ previous = SelectObject(target, canvas);

    for (int viaDc = 0; viaDc < 2; ++viaDc) {
        SCOPED_TRACE(viaDc ? "source is a device context" : "source is a bitmap");
        RECT all = {0, 0, 10, 20};
        HBRUSH white = (HBRUSH)GetStockObject(WHITE_BRUSH);
        FillRect(target, &all, white);
        HDC source = nullptr;
        HGDIOBJ sourcePrevious = nullptr;
        if (viaDc) {
            source = CreateCompatibleDC(screen);
            sourcePrevious = SelectObject(source, strip);
        }
        // Cell 0 (the arrow): its tip at the top-left, the probes transparent.
        EXPECT_TRUE(TransparentImage(target, 0, 0, 10, 20, viaDc ? (HANDLE)source : (HANDLE)strip, 0, 0, 10, 20,
                                     kMagenta));
        EXPECT_EQ(GetPixel(target, 7, 3), RGB(255, 255, 255));
        EXPECT_EQ(GetPixel(target, 3, 17), RGB(255, 255, 255));
        EXPECT_NE(GetPixel(target, 1, 5), RGB(255, 255, 255));
        if (viaDc) {
            SelectObject(source, sourcePrevious);
            DeleteDC(source);
        }
    }
    EXPECT_FALSE(TransparentImage(target, 0, 0, 10, 20, nullptr, 0, 0, 10, 20, kMagenta));

    SelectObject(target, previous);
    DeleteObject(canvas);
    DeleteDC(target);
    ReleaseDC(nullptr, screen);
    DeleteObject(strip);
}
