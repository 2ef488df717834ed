// What the driver's messages become on the device, handled in-process as the
// listener handles them: the gating by attachment and settings, the pointer's speeds,
// remainder and edges, the button and wheel bindings, the timed sequences, keys with
// their click, input held by a device that goes, and the backlight noted.
//
// Each row is a test of its own, named by its first field: a script in the driver
// simulator's language, plus "set NAME VALUE" lines that change a setting by its
// registry name. It starts from the install's bindings (left, middle and right click;
// wheel up and down scroll), speed 1X, mouse and keyboard on with key clicks, the
// mouse attached and the pointer at (100, 100).
#include <gtest/gtest.h>
#include <algorithm>
#include <sstream>
#include "DeviceKit.h"
#include "Recorder.h"
#include "Sequence.h"
#include "WaitUntil.h"
#include "app/DriverListener.h"
#include "core/AppState.h"
#include "core/PublishedButtons.h"
#include "core/ScreenMetrics.h"
#include "gui/GUI.h"
#include "input/Backlight.h"
#include "input/Cursor.h"
#include "input/KeySound.h"
#include "input/Keyboard.h"
#include "input/MouseReport.h"

namespace {

struct Row {
    const char* name;
    const char* script;
    int dx, dy;                      // where the pointer ends, from (100, 100)
    std::vector<std::string> inputs; // what the foreground application received
    DWORD clicks;                    // key clicks played
    bool backlight;                  // input activity noted
    DWORD minMs = 0;                 // first to last input at least this far apart
};

const Row kRows[] = {
    // Mouse reports need the mouse attached (status 1) and Enable_Mouse; status
    // notices are handled either way, a Bluetooth notice attaches nothing.
    {"AttachedMouseClicks", "click left", 0, 0, {"ldown", "lup"}, 0, true},
    {"DetachedMouseIsIgnored", "detach mouse\nmove 5 5\nclick left", 0, 0, {}, 0, false},
    {"MouseStatusOtherThanOneDetaches", "status mouse 7\nclick left", 0, 0, {}, 0, false},
    {"BluetoothNoticeAttachesNothing", "detach mouse\nbluetooth 1\nclick left", 0, 0, {}, 0, false},
    {"MouseNeedsEnableMouse",
     "set Enable_Mouse 0\nmove 5 5\nclick left\ndetach mouse\nset Enable_Mouse 1\nclick left", 0, 0, {}, 0, false},

    // Speeds scale both axes; below 1X what a report leaves over is carried to the next.
    {"TenthSpeedScalesBothAxes", "set Speed 0\nmove 100 -9", 10, 0, {}, 0, true},
    {"TenthSpeedCarriesTheRemainder", "set Speed 0\nmove 9 0\nmove -15 0\nmove 20 0", 1, 0, {}, 0, true},
    {"FifthSpeedCarriesTheRemainder", "set Speed 1\nmove 0 2\nmove 0 2\nmove 0 2\nmove 0 2", 0, 1, {}, 0, true},
    {"HalfSpeed", "set Speed 2\nmove 3 -3", 1, -1, {}, 0, true},
    {"DoubleSpeed", "set Speed 4\nmove 5 -7", 10, -14, {}, 0, true},
    {"EightfoldSpeed", "set Speed 10\nmove 5 5", 40, 40, {}, 0, true},
    {"SpeedAboveTheRangeMovesAtOneX", "set Speed 11\nmove 5 -5", 5, -5, {}, 0, true},
    {"SpeedBelowTheRangeMovesAtOneX", "set Speed -1\nmove -5 5", -5, 5, {}, 0, true},
    // Another speed's remainder is dropped, and so is a gone mouse's.
    {"SpeedChangeDropsTheRemainder", "set Speed 0\nmove 9 0\nset Speed 1\nmove 1 0", 0, 0, {}, 0, true},
    {"GoneMouseDropsTheRemainder", "set Speed 0\nmove 9 0\ndetach mouse\nattach mouse\nmove 1 0", 0, 0, {}, 0, true},

    // The pointer stays within 0..width and 0..height; the far edge shows as the last
    // pixel, and pushing against an edge stores nothing up.
    {"FarEdgeIsTheLastPixel", "move 500 500\nclick left", 140, 220, {"ldown", "lup"}, 0, true},
    {"NearEdgeStopsAtZero", "move -500 -500", -100, -100, {}, 0, true},
    {"EdgeStoresNothingUp", "set Speed 0\nmove -1500 0\nmove 10 0", -99, 0, {}, 0, true},

    // A press runs its input's action (left first when several are down); its release
    // ends exactly what the press sent. A release whose press this program did not
    // send (pressed before it started, or left out) passes through as it came.
    {"LeftButtonBoundToRightClick", "set Left_Button_Action 2\nclick left", 0, 0, {"rdown", "rup"}, 0, true},
    {"LeftFirstOfTwoPresses", "report 0 0 0 0x0A\nreport 0 0 0 0x14", 0, 0, {"ldown", "lup", "rup"}, 0, true},
    {"PressAndReleaseInOneReport", "report 0 0 0 0x06", 0, 0, {"ldown", "lup"}, 0, true},
    {"OverlappingButtons",
     "press right\nreport 0 0 0 0x12\nrelease left", 0, 0, {"rdown", "ldown", "rup", "lup"}, 0, true},
    {"UnknownActionSendsNothingAndStrayReleasePasses",
     "set Middle_Button_Action 99\nclick middle\nrelease right", 0, 0, {"rup"}, 0, true},
    {"ActionsOutOfRangeSendNothing",
     "set Right_Button_Action 17\nclick right\nset Wheel_Down_Action -1\nwheel -1", 0, 0, {}, 0, true},

    // Wheel steps scroll by their count; a button can scroll, the wheel can click
    // (a whole click), and one report runs a button and a wheel action, button first.
    {"WheelScrollsByItsCount", "wheel 2\nwheel -1", 0, 0, {"w+240", "w-120"}, 0, true},
    {"ButtonCanScroll", "set Middle_Button_Action 5\nclick middle", 0, 0, {"w-120"}, 0, true},
    {"WheelCanClick", "set Wheel_Up_Action 1\nwheel 1", 0, 0, {"mdown", "mup"}, 0, true},
    {"ButtonActionBeforeWheelAction", "report 1 0 0 0x02\nrelease left", 0, 0, {"ldown", "w+120", "lup"}, 0, true},

    // Actions that are no button: arrow keys held 20 ms, the power key (not typed).
    {"WheelUpToLeftArrow", "set Wheel_Up_Action 6\nwheel 1", 0, 0, {"vk25 down 0", "vk25 up 0"}, 0, true, 15},
    {"WheelDownToRightArrow", "set Wheel_Down_Action 7\nwheel -1", 0, 0, {"vk27 down 0", "vk27 up 0"}, 0, true, 15},
    {"SuspendTypesNothing", "set Left_Button_Action 13\nclick left", 0, 0, {}, 0, true},

    // A double click is four events 50, 100 and 50 ms apart; tap-and-hold holds 1 s.
    {"DoubleClickTiming",
     "set Left_Button_Action 3\nclick left", 0, 0, {"ldown", "lup", "ldown", "lup"}, 0, true, 180},
    {"TapAndHoldHoldsASecond", "set Right_Button_Action 8\nclick right", 0, 0, {"ldown", "lup"}, 0, true, 900},

    // Keys need no attachment notice, only Enable_KB. A press clicks, a release does not.
    {"KeyNeedsNoAttachmentAndClicks", "detach keyboard\nkey press Q 0x10", 0, 0, {"Q down 10", "Q up 10"}, 1, true},
    {"KeyReleaseDoesNotClick", "key up Q 0x10", 0, 0, {"Q up 10"}, 0, true},
    {"TypedTextClicksEachKey", "type a1", 0, 0, {"A down 1E", "A up 1E", "1 down 2", "1 up 2"}, 2, true},
    {"KeySoundsOffNoClick", "set KBSounds 0\nkey press W 0x11", 0, 0, {"W down 11", "W up 11"}, 0, true},
    {"KeyboardNeedsEnableKB", "set Enable_KB 0\nkey press W 0x11", 0, 0, {}, 0, false},

    // Whatever a device holds is released, once, when it goes (any status but 1) or
    // its input is switched off (the settings window tells the listener, 0x8001); a
    // character key with the flags it was pressed with.
    {"GoneMouseReleasesAHeldButtonOnce", "press right\ndetach mouse\ndetach mouse", 0, 0, {"rdown", "rup"}, 0, true},
    {"MouseStatusReleasesAHeldButton", "press left\nstatus mouse 7", 0, 0, {"ldown", "lup"}, 0, true},
    {"GoneKeyboardReleasesAHeldKeyOnce",
     "key down K 0x25\ndetach keyboard\ndetach keyboard", 0, 0, {"K down 25", "K up 25"}, 1, true},
    {"KeyboardStatusReleasesAHeldKey", "key down K 0x25\nstatus keyboard 5", 0, 0, {"K down 25", "K up 25"}, 1, true},
    {"SwitchedOffInputReleasesWhatIsHeld",
     "press left\nkey down Q 0x10\nset Enable_Mouse 0\nset Enable_KB 0\npost 0x8001 0 0\nrelease left\nkey up Q 0x10",
     0, 0, {"ldown", "Q down 10", "lup", "Q up 10"}, 1, true},
    {"ReleasedKeyKeepsItsFlags", "key down 0 0x78 4\ndetach keyboard", 0, 0, {"vkE7 down 78", "vkE7 up 78"}, 1, true},
};

// A row shows as its script, a line to a semicolon.
void PrintTo(const Row& row, std::ostream* out)
{
    std::string script = row.script;
    std::replace(script.begin(), script.end(), '\n', ';');
    *out << script;
}

class DriverReports : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE); // the queue the script posts to
        ComputeSize();
        LoadKeySound((StageDirectory() + L"\\soundkb.wav").c_str());
    }
    static void TearDownTestSuite() { FreeKeySound(); }

    // A setting by its registry name; null when there is none of that name.
    static int* Setting(const std::string& name)
    {
        const char* const actions[BUTTON_COUNT] = {"Left_Button_Action", "Middle_Button_Action", "Right_Button_Action",
                                                   "Wheel_Up_Action", "Wheel_Down_Action"};
        for (int b = 0; b < BUTTON_COUNT; ++b)
            if (name == actions[b])
                return &g_gui.Buttons[b].Action;
        return name == "Speed"          ? &g_gui.Speed
               : name == "Enable_Mouse" ? &g_gui.Enable_Mouse
               : name == "Enable_KB"    ? &g_gui.Enable_KB
               : name == "KBSounds"     ? &g_gui.KBSounds
                                        : nullptr;
    }

    // Posts the line's messages to this thread and handles them as the listener does.
    void Run(const std::string& line)
    {
        std::istringstream words(line);
        std::string word, name;
        int value = 0;
        if (words >> word >> name >> value && word == "set") {
            ASSERT_NE(nullptr, Setting(name)) << line;
            *Setting(name) = value;
            PublishButtonEntries(g_gui); // as the settings window does after a change
            return;
        }
        std::string message;
        ASSERT_EQ(USB_OK, RunUsbCommand(session, line, &message)) << message;
        MSG msg;
        while (PeekMessageW(&msg, (HWND)-1, 0, 0, PM_REMOVE))
            HandleDriverMessage(msg);
    }

    void Check(const Row& row)
    {
        std::string name = row.script;
        std::replace(name.begin(), name.end(), '\n', ';');
        SCOPED_TRACE(name);
        const int actions[BUTTON_COUNT] = {ACTION_LEFT_CLICK, ACTION_MIDDLE_CLICK, ACTION_RIGHT_CLICK,
                                           ACTION_SCROLL_UP, ACTION_SCROLL_DOWN};
        for (int b = 0; b < BUTTON_COUNT; ++b)
            g_gui.Buttons[b].Action = actions[b];
        PublishButtonEntries(g_gui);
        g_gui.Speed = 3;
        g_gui.Enable_Mouse = g_gui.Enable_KB = g_gui.KBSounds = 1;
        g_pointer.x = g_pointer.y = 100;
        ResetMotionRemainder(g_pointer);
        SetBacklightRequirement(0);
        Run("attach mouse");
        DWORD clicks = ReadDeviceDword(L"KeyClicks");

        std::istringstream lines(row.script);
        for (std::string line; std::getline(lines, line);)
            Run(line);

        EXPECT_EQ(row.dx, g_pointer.x - 100) << "pointer x";
        EXPECT_EQ(row.dy, g_pointer.y - 100) << "pointer y";
        // Clicks are played by a thread of their own, a moment later.
        WaitUntil([&] { return ReadDeviceDword(L"KeyClicks") - clicks >= row.clicks; }, 3000);
        EXPECT_EQ(row.clicks, ReadDeviceDword(L"KeyClicks") - clicks) << "key clicks";
        EXPECT_EQ(row.backlight, ReadDeviceDword(L"Backlight") != 0) << "backlight";
        std::vector<RecorderEvent> events = recorder.Received();
        ExpectSequence(Recorder::Words(events), row.inputs);
        // Pointer events land at the pointer, the far edge on the last pixel.
        int x = std::min(g_pointer.x, g_screen.width - 1), y = std::min(g_pointer.y, g_screen.height - 1);
        for (const RecorderEvent& e : events) {
            if (e.kind.find("key") == std::string::npos) {
                EXPECT_TRUE(e.x == x && e.y == y) << e.kind << " at " << e.x << "," << e.y;
            }
        }
        if (row.minMs && !events.empty()) {
            EXPECT_GE(events.back().time - events.front().time, row.minMs);
            EXPECT_LT(events.back().time - events.front().time, row.minMs + 3000);
        }
        // Nothing stays held for the next row.
        ReleaseHeldButtons(g_pointer);
        ReleaseHeldKeys();
        recorder.Received();
    }

    static Recorder recorder;
    UsbSession session = {GetCurrentThreadId()};
};
Recorder DriverReports::recorder;

// One test a row, named by the row; recorder.exe stays in front for all of them.
class DriverReportRow : public DriverReports, public ::testing::WithParamInterface<Row> {
protected:
    static void SetUpTestSuite()
    {
        DriverReports::SetUpTestSuite();
        // The device lets go of a program that ended holding the backlight (an
        // earlier row's) only when a requirement changes: one taken and given back.
        SetBacklightRequirement(1);
        SetBacklightRequirement(0);
        recording = recorder.Start();
    }
    static void TearDownTestSuite()
    {
        recorder.Stop();
        DriverReports::TearDownTestSuite();
    }
    void SetUp() override { ASSERT_TRUE(recording) << "recorder.exe did not come in front"; }
    static bool recording;
};
bool DriverReportRow::recording;

TEST_P(DriverReportRow, BecomesInput) { Check(GetParam()); }

INSTANTIATE_TEST_SUITE_P(Table, DriverReportRow, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<Row>& info) { return std::string(info.param.name); });

// The driver's words are 32 bits wide: what lies above them is not read.
TEST_F(DriverReports, StatusWordsAreTheirLow32Bits)
{
    Run("detach mouse");
    Run("post 40004 0x100000001 0");
    EXPECT_TRUE(g_pointer.connected);
    EXPECT_TRUE(g_mouseConnected.IsSet());
    Run("post 40003 0x100000001 0");
    EXPECT_TRUE(g_keyboardConnected.IsSet());
    Run("post 40004 0x100000000 0");
    EXPECT_FALSE(g_pointer.connected);
}

} // namespace
