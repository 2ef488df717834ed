// The real program's software cursor on the screen of either device, compared pixel
// by pixel with the installed cursor strip of the screen's scale, decoded as the
// program decodes it.
#include "PelorinTest.h"
#include "Picture.h"
#include "Recorder.h"

namespace {

struct SoftwareCursor : PelorinTest {
    Recorder recorder;
    int scale = ScreenScaleY(), w = 10 * scale, h = 20 * scale;
    Picture strip;

    // Moves by design units (x, y), scaled; then waits until the listener has done so.
    void Move(int x, int y)
    {
        Script("move " + std::to_string(x * scale) + " " + std::to_string(y * scale));
        Drain();
    }
    void Status(const char* line)
    {
        Script(line);
        Drain();
    }

    std::vector<COLORREF> Plain(COLORREF colour) const { return std::vector<COLORREF>(w * h, colour); }
    // The last shape of the strip over `background`: what a cell showing it must hold.
    std::vector<COLORREF> LastShape(COLORREF background) const
    {
        std::vector<COLORREF> pixels;
        for (int row = 0; row < h; ++row)
            for (int column = 0; column < w; ++column) {
                COLORREF c = strip.At(9 * w + column, row);
                pixels.push_back(c == RGB(255, 0, 255) ? background : c);
            }
        return pixels;
    }
    // Wine hands the program's screen drawing to the X server when it gets round to
    // it, so the screen is given a moment to show the expected cell (at design units
    // x, y, scaled).
    void ExpectCell(const std::vector<COLORREF>& expected, int x, int y)
    {
        x *= scale;
        y *= scale;
        WaitUntil([&] { return ScreenPixels(x, y, w, h) == expected; }, 2000);
        EXPECT_EQ(expected, ScreenPixels(x, y, w, h)) << "cell at " << x << "," << y;
    }
    // For what must not change: time for a wrong drawing to show, then the check.
    void ExpectUnchanged(const std::vector<COLORREF>& expected, int x, int y)
    {
        Sleep(300);
        EXPECT_EQ(expected, ScreenPixels(x * scale, y * scale, w, h)) << "cell at " << x << "," << y;
    }

    // The shape drawn after movement, the old cell put back when it moves, the cursor
    // taken away on detach and shown again only once moved, and an application's
    // drawing beneath it kept when the mouse goes.
    void Run()
    {
        ASSERT_TRUE(LoadPicture(InstalledFile(L"images", scale == 1 ? L"cursors_f1.jpg" : L"cursors_f2.jpg"), &strip));
        ASSERT_EQ(10 * w, strip.width);
        SetDword(L"Cursor", 9);
        ASSERT_TRUE(recorder.Start());
        ASSERT_TRUE(StartRunning());
        const std::vector<COLORREF> background = Plain(recorder.Background()), shape = LastShape(recorder.Background());
        ASSERT_NE(background, shape) << "the last shape is empty";

        Status("attach mouse");
        ExpectUnchanged(ScreenPixels(0, 0, w, h), 0, 0);
        Move(40, 80);
        ExpectCell(shape, 40, 80);
        Move(60, 70);
        ExpectCell(background, 40, 80);
        ExpectCell(shape, 100, 150);
        Status("detach mouse");
        ExpectCell(background, 100, 150);

        Status("attach mouse");
        ExpectUnchanged(background, 100, 150);
        Move(20, 20);
        ExpectCell(shape, 120, 170);
        const COLORREF patch = RGB(0x20, 0x40, 0xA0);
        recorder.PaintPatch({115 * scale, 165 * scale, 135 * scale, 195 * scale}, patch);
        ExpectCell(Plain(patch), 120, 170);
        Status("detach mouse");
        ExpectUnchanged(Plain(patch), 120, 170);
    }
};

TEST_F(SoftwareCursor, FollowsThePointerOnThe240x320Screen) { Run(); }

using SoftwareCursorHiRes = SoftwareCursor;

TEST_F(SoftwareCursorHiRes, FollowsThePointerOnThe480x640Screen) { Run(); }

} // namespace
