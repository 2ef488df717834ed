// The driver's messages through the real program, as the foreground application
// receives them: one row of reports from the real driver simulator, thousands of
// messages in posting order, the pointer on a screen that turns, and a program that
// falls idle whenever reports stop, however the last of them ended.
#include "PelorinTest.h"
#include "Recorder.h"

namespace {

struct DriverThroughPelorin : PelorinTest {
    Recorder recorder;

    // Every pointer event of `events` landed on (x, y).
    static void ExpectAt(const std::vector<RecorderEvent>& events, int x, int y)
    {
        for (const RecorderEvent& e : events) {
            if (e.kind.find("key") == std::string::npos) {
                EXPECT_TRUE(e.x == x && e.y == y) << e.kind << " at " << e.x << "," << e.y;
            }
        }
    }
};

// The pointer at 2X from where a new program starts (0, 0), the left button bound to
// Right Click, a wheel step and a key with its click.
TEST_F(DriverThroughPelorin, ReportsFromTheDriverSimulatorBecomeInput)
{
    SetDword(L"Speed", 4);
    SetDword(L"Left_Button_Action", 2);
    ASSERT_TRUE(recorder.Start());
    ASSERT_TRUE(StartRunning());
    DWORD clicks = ReadDeviceDword(L"KeyClicks");
    std::string output;
    ASSERT_EQ(USB_OK, RunUsbsim("attach mouse\nmove 20 40\nclick left\nwheel -1\nkey press K 0x25", &output))
        << output;
    Drain();
    std::vector<RecorderEvent> events = recorder.Received();
    ExpectSequence(Recorder::Words(events), {"rdown", "rup", "w-120", "K down 25", "K up 25"});
    ExpectAt(events, 40, 80);
    WaitUntil([&] { return ReadDeviceDword(L"KeyClicks") > clicks; }); // a thread of its own plays it
    EXPECT_EQ(clicks + 1, ReadDeviceDword(L"KeyClicks")) << "key clicks";
}

TEST_F(DriverThroughPelorin, ThousandsOfMixedMessagesAreHandledInPostingOrder)
{
    ASSERT_TRUE(recorder.Start());
    ASSERT_TRUE(StartRunning());
    // Key presses of A..Z in turn, each followed by its release and a numbered notice.
    std::vector<std::string> keys, notices;
    for (int i = 0; i < 600; ++i) {
        char key = (char)('A' + i % 26);
        ASSERT_TRUE(Post(TM_KBREPORT, PackKeyReport(key, 0x1E), 0));
        ASSERT_TRUE(Post(TM_KBREPORT, PackKeyReport(key, 0x1E), KEYEVENTF_KEYUP));
        ASSERT_TRUE(Post(TM_BLUETOOTH, i, 0));
        if (i % 100 == 0) {
            ASSERT_TRUE(Post(TM_KBSTATUS, 1, 0));
        }
        keys.push_back(key + std::string(" down 1E"));
        keys.push_back(key + std::string(" up 1E"));
        notices.push_back("TM_BLUETOOTH: " + std::to_string(i));
    }
    Drain();
    ExpectSequence(recorder.Inputs(), keys);
    std::vector<std::string> logged = Log("TM_BLUETOOTH: ");
    logged.pop_back(); // Drain's own notice
    ExpectSequence(logged, notices);
}

// The program measures the screen again when it turns: the next report clamps the
// pointer against the turned screen. Four turns bring it upright again.
TEST_F(DriverThroughPelorin, PointerFollowsTheScreenRound)
{
    SetDword(L"Middle_Button_Action", 14); // Rotate Screen
    ASSERT_TRUE(recorder.Start());
    ASSERT_TRUE(StartRunning());
    ASSERT_EQ(240, GetSystemMetrics(SM_CXSCREEN));
    Script("attach mouse\nmove 50 300\nclick middle");
    EXPECT_TRUE(WaitUntil([] { return GetSystemMetrics(SM_CXSCREEN) == 320; }));
    EXPECT_TRUE(WaitForLog("ComputeSize::Screen size: 320x240")) << "the program missed the turn";
    ASSERT_TRUE(WaitUntil([&] {
        RECT frame;
        return GetWindowRect(recorder.Window(), &frame) && frame.right == 320;
    })) << "the recorder did not follow the turn";
    recorder.Received();
    Script("wheel 1");
    Drain();
    std::vector<RecorderEvent> events = recorder.Received();
    ExpectSequence(Recorder::Words(events), {"w+120"});
    ExpectAt(events, 50, 239);

    const DWORD degrees[] = {90, 180, 270, 0};
    for (int turn = 0; turn < 4; ++turn) {
        if (turn > 0)
            Script("click middle");
        EXPECT_TRUE(WaitUntil([&] { return ReadDeviceDword(L"Orientation", 99) == degrees[turn]; }))
            << "turn " << turn + 1;
    }
    EXPECT_TRUE(WaitUntil([] { return GetSystemMetrics(SM_CXSCREEN) == 240 && GetSystemMetrics(SM_CYSCREEN) == 320; }));
}

// The ends of a stream after which the cursor stands where it was last drawn, or
// must go: each leaves the program idle once handled (the fixture measures it again
// after every test). Reports follow each other within a display frame, so the last
// one always finds a drawing of the cursor due.
struct StreamEnd {
    const char* name;
    DWORD speed;
    const char* script;
};
const StreamEnd kStreamEnds[] = {
    {"ClickAfterAMove", 3, "attach mouse\nmove 40 80\nclick left"},
    {"WheelStepAfterAMove", 3, "attach mouse\nmove 40 80\nwheel 1"},
    {"MovesBelowAPixelAtTheSlowestSpeed", 0, "attach mouse\nmove 120 120\nmove 3 0\nmove 0 3"},
    {"PushedAgainstTheRightEdge", 3, "attach mouse\nmove 230 80\nsleep 300\nmove 30 0\nmove 10 0"},
    {"MoveAndBack", 3, "attach mouse\nmove 40 80\nmove 1 0\nmove -1 0"},
    {"DetachedRightAfterAMove", 3, "attach mouse\nmove 40 80\ndetach mouse"},
    {"StatusTwoRightAfterAMove", 3, "attach mouse\nmove 40 80\nstatus mouse 2"},
};

struct StreamEndRow : DriverThroughPelorin, ::testing::WithParamInterface<StreamEnd> {};

TEST_P(StreamEndRow, LeavesTheProgramIdle)
{
    SetDword(L"Speed", GetParam().speed);
    ASSERT_TRUE(recorder.Start());
    ASSERT_TRUE(StartRunning());
    Script(GetParam().script);
    Drain();
    ExpectQuiet();
}

INSTANTIATE_TEST_SUITE_P(Table, StreamEndRow, ::testing::ValuesIn(kStreamEnds),
                         [](const ::testing::TestParamInfo<StreamEnd>& info) { return std::string(info.param.name); });

} // namespace
