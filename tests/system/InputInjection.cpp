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
