// The real program's software cursor, as the screen shows it, driven by posting
// driver reports to the listener.
#include <algorithm>
#include "PelorinTest.h"
#include "Recorder.h"

namespace {

// The install's "Wheel Up" binding is Scroll Up: a report carrying one wheel step
// leaves a wheel event at the pointer, which is how these tests read the position.
// (Plain moves may be merged by Wine when the recorder lags; wheel events are not.)
const int kProbeWheel = 1;

struct PointerThroughPelorin : PelorinTest {
    Recorder recorder;

    void TearDown() override
    {
        PelorinTest::TearDown();
        RestoreUpright();
    }

    // Recorder in front, program running, mouse attached.
    void StartWithMouse()
    {
        ASSERT_TRUE(recorder.Start());
        ASSERT_TRUE(StartRunning());
        ASSERT_TRUE(Post(TM_MOUSESTATUS, 1, 0));
    }

    void Report(int wheel, int dx, int dy, DWORD buttons = 0)
    {
        ASSERT_TRUE(Post(TM_MOUSEREPORT, PackMouseReport(wheel, dx, dy), buttons));
    }

    // Waits until the listener has handled everything posted so far: a Bluetooth
    // notice with a unique number is logged when its turn comes.
    void Drain()
    {
        static int marker = 700000;
        ++marker;
        ASSERT_TRUE(Post(TM_BLUETOOTH, marker, 0));
        ASSERT_TRUE(WaitForLog("TM_BLUETOOTH: " + std::to_string(marker), 10000));
    }

    // Moves by (dx, dy) and returns where the probe's wheel event landed. Wine now
    // and then holds an injected event back until the program injects the next one
    // (seen after the pointer crossed from another process's window); a probe without
    // movement then releases it.
    RecorderEvent Probe(int dx, int dy)
    {
        size_t mark = recorder.Mark();
        Post(TM_MOUSEREPORT, PackMouseReport(kProbeWheel, dx, dy), 0);
        std::vector<RecorderEvent> wheels = recorder.WaitForCount("wheel", 1, mark, 500);
        if (wheels.empty()) {
            Post(TM_MOUSEREPORT, PackMouseReport(kProbeWheel, 0, 0), 0);
            wheels = recorder.WaitForCount("wheel", 2, mark);
        }
        if (wheels.empty()) {
            ADD_FAILURE() << "no wheel event after moving by " << dx << "," << dy;
            return RecorderEvent();
        }
        return wheels[0];
    }

    // The first move into the recorder, followed by probes without movement until
    // two in a row arrive at once. On a freshly booted device Wine can drop the
    // program's first pointer event altogether.
    RecorderEvent EnterRecorder(int dx, int dy)
    {
        size_t mark = recorder.Mark(), seen = 0;
        RecorderEvent wheel;
        Post(TM_MOUSEREPORT, PackMouseReport(kProbeWheel, dx, dy), 0);
        for (int attempt = 0, inARow = 0; attempt < 12 && inARow < 2; ++attempt) {
            std::vector<RecorderEvent> wheels = recorder.WaitForCount("wheel", seen + 1, mark, 500);
            inARow = wheels.size() > seen ? inARow + 1 : 0;
            seen = wheels.size();
            if (seen)
                wheel = wheels.back();
            if (inARow < 2)
                Post(TM_MOUSEREPORT, PackMouseReport(kProbeWheel, 0, 0), 0);
        }
        EXPECT_GT(seen, 0u) << "the recorder saw no pointer event from the program";
        Sleep(100);
        return wheel;
    }

    // Button and wheel events from `from` on, as "ldown lup rdown w+120 ...".
    std::string ButtonsAndWheels(size_t from) const
    {
        std::vector<RecorderEvent> events = recorder.Events();
        std::string text;
        for (size_t i = from; i < events.size(); ++i) {
            const std::string& kind = events[i].kind;
            std::string word;
            if (kind == "wheel")
                word = "w" + std::string(events[i].delta > 0 ? "+" : "") + std::to_string(events[i].delta);
            else if (kind.size() > 7 && kind.compare(1, 6, "button") == 0)
                word = kind.substr(0, 1) + kind.substr(7); // "lbuttondown" -> "ldown"
            if (!word.empty())
                text += (text.empty() ? "" : " ") + word;
        }
        return text;
    }

    std::vector<std::string> MessagesStartingWith(const std::string& prefix) const
    {
        std::vector<std::string> found;
        for (const std::string& line : Log())
            if (line.compare(0, prefix.size(), prefix) == 0)
                found.push_back(line);
        return found;
    }

    // A test that failed half-way through its rotations must not leave the next test
    // a turned screen.
    static void RestoreUpright()
    {
        if (GetSystemMetrics(SM_CXSCREEN) > GetSystemMetrics(SM_CYSCREEN)) {
            DEVMODEW mode = {};
            mode.dmSize = sizeof mode;
            mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
            mode.dmPelsWidth = GetSystemMetrics(SM_CYSCREEN);
            mode.dmPelsHeight = GetSystemMetrics(SM_CXSCREEN);
            ChangeDisplaySettingsExW(nullptr, &mode, nullptr, 0, nullptr);
        }
        WriteDeviceDword(L"Orientation", 0);
    }
};

// ---------------------------------------------------------------------------
// The software cursor on the screen, compared pixel by pixel with the installed
// cursor strip.

// The installed strip as GDI+ decodes it (the decoder the platform uses), loaded
// at run time so that the test needs no extra import library.
class CursorStrip {
public:
    explicit CursorStrip(int factor)
    {
        library_ = LoadLibraryW(L"gdiplus.dll");
        auto startup = (int(WINAPI*)(ULONG_PTR*, const void*, void*))GetProcAddress(library_, "GdiplusStartup");
        auto fromFile = (int(WINAPI*)(const WCHAR*, void**))GetProcAddress(library_, "GdipCreateBitmapFromFile");
        getPixel_ = (int(WINAPI*)(void*, INT, INT, DWORD*))GetProcAddress(library_, "GdipBitmapGetPixel");
        dispose_ = (int(WINAPI*)(void*))GetProcAddress(library_, "GdipDisposeImage");
        struct {
            UINT32 version = 1;
            void* callback = nullptr;
            BOOL noThread = FALSE, noCodecs = FALSE;
        } input;
        std::wstring file = InstalledFile(L"images", (L"cursors_f" + std::to_wstring(factor) + L".jpg").c_str());
        if (startup && fromFile && getPixel_ && dispose_ && startup(&token_, &input, nullptr) == 0)
            fromFile(file.c_str(), &bitmap_);
    }
    ~CursorStrip()
    {
        if (bitmap_)
            dispose_(bitmap_);
    }
    bool Loaded() const { return bitmap_ != nullptr; }
    COLORREF Pixel(int x, int y) const
    {
        DWORD argb = 0;
        getPixel_(bitmap_, x, y, &argb);
        return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
    }

private:
    HMODULE library_ = nullptr;
    ULONG_PTR token_ = 0;
    void* bitmap_ = nullptr;
    int(WINAPI* getPixel_)(void*, INT, INT, DWORD*) = nullptr;
    int(WINAPI* dispose_)(void*) = nullptr;
};

const COLORREF kTransparent = RGB(255, 0, 255);

struct SoftwareCursor : PointerThroughPelorin {
    // Screen pixels of a w x h cell at (x, y).
    static std::vector<COLORREF> Cell(int x, int y, int w, int h) { return ScreenPixels(x, y, w, h); }
    static std::vector<COLORREF> Plain(int w, int h, COLORREF colour) { return std::vector<COLORREF>(w * h, colour); }

    // Shape `shape` of the strip drawn over `background`: what the cell must show.
    static std::vector<COLORREF> Drawn(const CursorStrip& strip, int shape, int w, int h, COLORREF background)
    {
        std::vector<COLORREF> pixels;
        for (int row = 0; row < h; ++row)
            for (int column = 0; column < w; ++column) {
                COLORREF c = strip.Pixel(shape * w + column, row);
                pixels.push_back(c == kTransparent ? background : c);
            }
        return pixels;
    }

    // Wine hands the program's screen drawing to the X server when it gets round to
    // it, so the screen is given a moment to show the expected cell.
    static void ExpectCell(const std::vector<COLORREF>& expected, int x, int y, int w, int h)
    {
        WaitUntil([&] { return Cell(x, y, w, h) == expected; }, 2000);
        EXPECT_EQ(expected, Cell(x, y, w, h)) << "cell at " << x << "," << y;
    }
    // For what must not change: time for a wrong drawing to show, then the check.
    static void ExpectUnchanged(const std::vector<COLORREF>& before, int x, int y, int w, int h)
    {
        Sleep(300);
        EXPECT_EQ(before, Cell(x, y, w, h)) << "cell at " << x << "," << y;
    }

    // The cell at (x, y) shows the shape: all of it, the probe pixels untouched.
    void ExpectShape(const CursorStrip& strip, int shape, int x, int y, int w, int h)
    {
        COLORREF background = recorder.Background();
        std::vector<COLORREF> expected = Drawn(strip, shape, w, h, background);
        ASSERT_NE(Plain(w, h, background), expected) << "shape " << shape << " is empty";
        ExpectCell(expected, x, y, w, h);
        EXPECT_EQ(background, ScreenPixel(x + w - 3, y + 3));
        EXPECT_EQ(background, ScreenPixel(x + 3, y + h - 3));
    }
};

TEST_F(SoftwareCursor, DrawnAfterMovementAndTakenAwayOnDetach)
{
    const int w = 10, h = 20, shape = 3;
    CursorStrip strip(1);
    ASSERT_TRUE(strip.Loaded());
    SetDword(L"Cursor", shape);
    ASSERT_TRUE(recorder.Start());
    ASSERT_TRUE(StartRunning());
    const COLORREF background = recorder.Background();
    std::vector<COLORREF> corner = Cell(0, 0, w, h);

    // Attaching draws nothing: the cursor waits for the first movement.
    ASSERT_TRUE(Post(TM_MOUSESTATUS, 1, 0));
    Drain();
    ExpectUnchanged(corner, 0, 0, w, h);

    Report(0, 40, 80);
    Drain();
    ExpectShape(strip, shape, 40, 80, w, h);

    // A click in place draws nothing new.
    std::vector<COLORREF> before = Cell(30, 70, 3 * w, 2 * h);
    Report(0, 0, 0, MOUSEEVENTF_LEFTDOWN);
    Report(0, 0, 0, MOUSEEVENTF_LEFTUP);
    Drain();
    ExpectUnchanged(before, 30, 70, 3 * w, 2 * h);

    // Moving puts the old cell back; detaching takes the cursor away.
    Report(0, 60, 70);
    Drain();
    ExpectCell(Plain(w, h, background), 40, 80, w, h);
    ExpectShape(strip, shape, 100, 150, w, h);
    ASSERT_TRUE(Post(TM_MOUSESTATUS, 0, 0));
    Drain();
    ExpectCell(Plain(w, h, background), 100, 150, w, h);

    // Reattached, it shows again only once moved. An application that repaints
    // beneath it then keeps its pixels when the mouse goes.
    ASSERT_TRUE(Post(TM_MOUSESTATUS, 1, 0));
    Drain();
    ExpectUnchanged(Plain(w, h, background), 100, 150, w, h);
    Report(0, 20, 20);
    Drain();
    ExpectShape(strip, shape, 120, 170, w, h);
    const COLORREF patch = RGB(0x20, 0x40, 0xA0);
    recorder.PaintPatch({115, 165, 135, 195}, patch);
    ExpectCell(Plain(w, h, patch), 120, 170, w, h);
    ASSERT_TRUE(Post(TM_MOUSESTATUS, 0, 0));
    Drain();
    ExpectUnchanged(Plain(w, h, patch), 120, 170, w, h);
}

using SoftwareCursorHiRes = SoftwareCursor;

// On a 480 x 640 screen the cell is 20 x 40, cut from the strip for factor 2; the
// last shape sits at x = 180 of it.
TEST_F(SoftwareCursorHiRes, DoubleSizeCellFromTheDoubleStrip)
{
    const int w = 20, h = 40, shape = 9;
    ASSERT_EQ(480, GetSystemMetrics(SM_CXSCREEN));
    CursorStrip strip(2);
    ASSERT_TRUE(strip.Loaded());
    SetDword(L"Cursor", shape);
    StartWithMouse();
    Report(0, 100, 120);
    Drain();
    ExpectShape(strip, shape, 100, 120, w, h);
    ASSERT_TRUE(Post(TM_MOUSESTATUS, 0, 0));
    Drain();
    ExpectCell(Plain(w, h, recorder.Background()), 100, 120, w, h);
}

} // namespace
