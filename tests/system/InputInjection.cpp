// Input through the real program: the driver's reports become pointer and key input
// in the foreground application, at the cursor, with nothing left held when a
// device goes away.
#include "Driver.h"
#include "PelorinTest.h"
#include "Recorder.h"

namespace {

struct InputSystem : PelorinTest {
    void SetUp() override
    {
        PelorinTest::SetUp();
        SetDword(L"Enable_Mouse", 1);
        SetDword(L"Enable_KB", 1);
        SetDword(L"Speed", 3);
        SetDword(L"Left_Button_Action", 0);
        SetDword(L"Right_Button_Action", 2);
    }
};

TEST_F(InputSystem, ClickLandsOnTheDrawnCursor)
{
    Recorder recorder;
    ASSERT_TRUE(recorder.Start());
    ASSERT_TRUE(StartRunning());
    ASSERT_TRUE(PostToListener(TM_MOUSESTATUS, 1, 0));
    // The press waits until the move has arrived: under Wine a press injected right
    // behind the first move onto a window can be lost.
    MovePointerTo(120, 200); // wherever an earlier test left it, away from the target
    size_t mark = recorder.Mark();
    ASSERT_TRUE(PostToListener(TM_MOUSEREPORT, PackMouseReport(0, 10, 40), 0));
    ASSERT_TRUE(recorder.WaitFor("mousemove", nullptr, mark));
    ASSERT_TRUE(PostToListener(TM_MOUSEREPORT, PackMouseReport(0, 0, 0), MOUSEEVENTF_LEFTDOWN));
    ASSERT_TRUE(PostToListener(TM_MOUSEREPORT, PackMouseReport(0, 0, 0), MOUSEEVENTF_LEFTUP));
    RecorderEvent down, up;
    ASSERT_TRUE(recorder.WaitFor("lbuttondown", &down, mark));
    ASSERT_TRUE(recorder.WaitFor("lbuttonup", &up, mark));
    EXPECT_EQ(10, down.x);
    EXPECT_EQ(40, down.y);
    EXPECT_EQ(10, up.x);
    EXPECT_EQ(40, up.y);
    // The cursor's cell at the pointer: something drawn, the probe pixels untouched.
    COLORREF background = recorder.Background();
    EXPECT_EQ(background, ScreenPixel(10 + 10 - 3, 40 + 3));
    EXPECT_EQ(background, ScreenPixel(10 + 3, 40 + 20 - 3));
    bool drawn = false;
    for (int y = 40; y < 60 && !drawn; ++y)
        for (int x = 10; x < 20 && !drawn; ++x)
            drawn = ScreenPixel(x, y) != background;
    EXPECT_TRUE(drawn);
}

TEST_F(InputSystem, WheelOpensTheBoundApplet)
{
    SetDword(L"Wheel_Up_Action", 10);
    SetText(L"Wheel_Up_Param1", L"\\windows\\cplmain.cpl,3");
    ClearLaunches();
    Recorder recorder;
    ASSERT_TRUE(recorder.Start());
    ASSERT_TRUE(StartRunning());
    ASSERT_TRUE(PostToListener(TM_MOUSESTATUS, 1, 0));
    ASSERT_TRUE(PostToListener(TM_MOUSEREPORT, PackMouseReport(1, 20, 60), 0));
    std::vector<std::wstring> launches = WaitForLaunches(1, 15000);
    ASSERT_EQ(1u, launches.size());
    EXPECT_EQ(L"ctlpnl.exe \\windows\\cplmain.cpl,3", launches[0]);
    EXPECT_TRUE(recorder.Events("wheel").empty());
}

// A button held through the mouse and a key held through the keyboard are released
// when their device goes.
TEST_F(InputSystem, DetachingReleasesWhatIsHeld)
{
    Recorder recorder;
    ASSERT_TRUE(recorder.Start());
    ASSERT_TRUE(StartRunning());
    ASSERT_TRUE(PostToListener(TM_MOUSESTATUS, 1, 0));
    ASSERT_TRUE(PostToListener(TM_MOUSEREPORT, PackMouseReport(0, 30, 50), MOUSEEVENTF_RIGHTDOWN));
    ASSERT_TRUE(recorder.WaitFor("rbuttondown"));
    ASSERT_TRUE(PostToListener(TM_MOUSESTATUS, 0, 0));
    EXPECT_TRUE(recorder.WaitFor("rbuttonup"));

    ASSERT_TRUE(PostToListener(TM_KBSTATUS, 1, 0));
    ASSERT_TRUE(PostToListener(TM_KBREPORT, PackKeyReport('K', 0x25), 0));
    ASSERT_TRUE(recorder.WaitFor("keydown"));
    ASSERT_TRUE(PostToListener(TM_KBSTATUS, 0, 0));
    RecorderEvent up;
    ASSERT_TRUE(recorder.WaitFor("keyup", &up));
    EXPECT_EQ((UINT)'K', up.vk);
}

} // namespace
