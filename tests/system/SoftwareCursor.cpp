// The real program's software cursor on the screen of either device, compared pixel
// by pixel with the installed cursor strip of the screen's scale, decoded as the
// program decodes it: where it is drawn, and that it leaves nothing behind when it
// goes, at the screen's edges and across a turn of the screen too.
#include "PelorinTest.h"
#include "Picture.h"
#include "Recorder.h"

namespace {

struct SoftwareCursor : PelorinTest {
    Recorder recorder;
    int scale = ScreenScaleY(), w = 10 * scale, h = 20 * scale;
    Picture strip;

    // Moves by design units (x, y), scaled; then waits until the listener has done so.
    void Move(int x, int y) { MoveByPixels(x * scale, y * scale); }
    // Moves by (dx, dy) pixels at 1X and gives the cursor time to be drawn there: the
    // program draws it at most once a display frame.
    void MoveByPixels(int dx, int dy)
    {
        Script("move " + std::to_string(dx) + " " + std::to_string(dy));
        Drain();
        Sleep(60);
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
    void ExpectCell(const std::vector<COLORREF>& expected, int x, int y) { ExpectCellAt(expected, x * scale, y * scale); }
    // The same at (x, y) in pixels.
    void ExpectCellAt(const std::vector<COLORREF>& expected, int x, int y)
    {
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

    // A screen area as read now.
    struct Area {
        RECT rect;
        std::vector<COLORREF> pixels;
    };
    static Area Read(const RECT& rect)
    {
        return {rect, ScreenPixels(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top)};
    }
    // How many pixels of the area differ now from `before`, outside the cell at (x, y)
    // in pixels.
    int ChangedOutsideCell(const Area& before, int x, int y) const
    {
        Area now = Read(before.rect);
        int width = before.rect.right - before.rect.left, changed = 0;
        for (size_t i = 0; i < now.pixels.size(); ++i) {
            int px = before.rect.left + (int)(i % width), py = before.rect.top + (int)(i / width);
            bool inCell = px >= x && px < x + w && py >= y && py < y + h;
            changed += !inCell && now.pixels[i] != before.pixels[i];
        }
        return changed;
    }
    void ExpectNothingLeftOutsideCell(const Area& before, int x, int y)
    {
        int changed = -1;
        WaitUntil([&] { return (changed = ChangedOutsideCell(before, x, y)) == 0; }, 2000);
        EXPECT_EQ(0, changed) << "pixels changed in (" << before.rect.left << "," << before.rect.top << ")-("
                              << before.rect.right << "," << before.rect.bottom << ") outside the cursor at " << x
                              << "," << y;
    }

    // The cell across the right edge, moved down along it, pushed into the bottom
    // right corner, across the bottom edge, moved left along it, and away: the
    // screen outside the cursor is as it was before the cursor came.
    void CrossEdges()
    {
        SetDword(L"Speed", 3);
        SetDword(L"Cursor", 9);
        ASSERT_TRUE(LoadPicture(InstalledFile(L"images", scale == 1 ? L"cursors_f1.jpg" : L"cursors_f2.jpg"), &strip));
        ASSERT_TRUE(recorder.Start());
        ASSERT_TRUE(StartRunning());
        Status("attach mouse");
        const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
        // The bands along the two edges, read before the cursor comes.
        const Area right = Read({width - 2 * w, TopBarHeight(), width, height});
        const Area bottom = Read({0, height - 2 * h, width, height});

        MoveByPixels(width - w / 2, 100 * scale);
        for (int step = 0; step < 5; ++step)
            MoveByPixels(step % 2 ? 3 : -2, 31 * scale);
        MoveByPixels(w, height); // pushed into the corner: the cell lies off the screen
        MoveByPixels(-1, -h / 2);
        for (int step = 0; step < 5; ++step)
            MoveByPixels(-37 * scale, step % 2 ? 2 : -3);
        const int x = width - 1 - 5 * 37 * scale - 20 * scale, y = height - h / 2 - 5 - 150 * scale;
        MoveByPixels(-20 * scale, -150 * scale);
        ExpectCellAt(LastShape(recorder.Background()), x, y);
        ExpectNothingLeftOutsideCell(right, x, y);
        ExpectNothingLeftOutsideCell(bottom, x, y);
    }
};

TEST_F(SoftwareCursor, FollowsThePointerOnThe240x320Screen) { Run(); }
TEST_F(SoftwareCursor, LeavesNothingBehindAtTheRightAndBottomEdges) { CrossEdges(); }

// The cursor is shown exactly while the mouse is attached: any status but 1 takes
// it away, whether a drawing was still to come or not.
TEST_F(SoftwareCursor, EveryStatusButAttachedTakesTheCursorAway)
{
    ASSERT_TRUE(LoadPicture(InstalledFile(L"images", L"cursors_f1.jpg"), &strip));
    SetDword(L"Cursor", 9);
    ASSERT_TRUE(recorder.Start());
    ASSERT_TRUE(StartRunning());
    const std::vector<COLORREF> background = Plain(recorder.Background()), shape = LastShape(recorder.Background());
    const DWORD statuses[] = {0, 2, 0x7FFF, 0xFFFFFFFF};
    int x = 0;
    for (DWORD status : statuses) {
        Status("attach mouse");
        Move(20, x == 0 ? 80 : 0);
        x += 20;
        ExpectCell(shape, x, 80);
        Status(("status mouse " + std::to_string(status)).c_str());
        ExpectCell(background, x, 80);
        Script("move 5 5");
        Drain();
        ExpectUnchanged(background, x, 80);
    }
}

// A quarter turn to 320x240 and back, the screen turned by the program's own Rotate
// Screen action: the cursor is drawn on the whole turned screen, also beyond the
// upright screen's width, and after the turn back it leaves no block or copy of itself
// where it was across the old edge.
TEST_F(SoftwareCursor, DrawsEverywhereOnATurnedScreenAndLeavesNothingWhenTurnedBack)
{
    ASSERT_TRUE(LoadPicture(InstalledFile(L"images", L"cursors_f1.jpg"), &strip));
    SetDword(L"Speed", 3);
    SetDword(L"Cursor", 9);
    SetDword(L"Wheel_Up_Action", 14); // Rotate Screen
    ASSERT_TRUE(recorder.Start());
    ASSERT_TRUE(StartRunning());
    const std::vector<COLORREF> shape = LastShape(recorder.Background());
    auto turnTo = [&](int width) {
        Script("wheel 1");
        ASSERT_TRUE(WaitUntil([&] { return GetSystemMetrics(SM_CXSCREEN) == width; }));
        ASSERT_TRUE(WaitUntil([&] {
            RECT frame;
            return GetWindowRect(recorder.Window(), &frame) && frame.right == width;
        })) << "the recorder did not follow the turn";
        Drain();
        Sleep(300); // the windows repaint the turned screen
    };
    Status("attach mouse");
    MoveByPixels(60, 100);
    turnTo(320);
    MoveByPixels(220, 0);
    ExpectCell(shape, 280, 100);
    MoveByPixels(-45, 20);
    ExpectCell(shape, 235, 120);
    turnTo(240);
    MoveByPixels(-100, 40);
    ExpectCell(shape, 135, 160);

    // Where the cursor went, the recorder's background shows, but for the cursor.
    const RECT around = {100, 80, 240, 200};
    const Area plain = {around, std::vector<COLORREF>(140 * 120, recorder.Background())};
    ExpectNothingLeftOutsideCell(plain, 135, 160);
}

using SoftwareCursorHiRes = SoftwareCursor;

TEST_F(SoftwareCursorHiRes, FollowsThePointerOnThe480x640Screen) { Run(); }
TEST_F(SoftwareCursorHiRes, LeavesNothingBehindAtTheRightAndBottomEdges) { CrossEdges(); }

} // namespace
