// The driver's side of the listener: attachment, gating and posting order.
#include "Driver.h"
#include "PelorinTest.h"
#include "Recorder.h"

namespace {

struct Listener : PelorinTest {
    // Waits until the listener has handled everything posted so far: a Bluetooth
    // notice with a unique number is logged when its turn comes.
    void Drain()
    {
        static int marker = 900000;
        ++marker;
        ASSERT_TRUE(PostToListener(TM_BLUETOOTH, marker, 0));
        ASSERT_TRUE(WaitForLog("TM_BLUETOOTH: " + std::to_string(marker), 10000));
    }
    int Count(const std::string& prefix)
    {
        int n = 0;
        for (const auto& line : Log())
            n += line.compare(0, prefix.size(), prefix) == 0;
        return n;
    }
};

TEST_F(Listener, MouseReportsNeedAttachmentAndEnableMouse)
{
    Recorder recorder;
    ASSERT_TRUE(recorder.Start());
    ASSERT_TRUE(StartRunning());
    size_t mark = recorder.Mark();
    WPARAM move = PackMouseReport(0, 40, 80); // from (0, 0) into the recorder, below the top bar

    ASSERT_TRUE(PostToListener(TM_MOUSEREPORT, move, 0)); // before any attachment
    Drain();
    EXPECT_LT(FindMessage(Log(), "SetBacklightRequirement(1)"), 0) << "a dropped report notes no activity";

    ASSERT_TRUE(PostToListener(TM_MOUSESTATUS, 1, 0));
    ASSERT_TRUE(PostToListener(TM_MOUSEREPORT, move, 0));
    EXPECT_TRUE(recorder.WaitFor("mousemove", nullptr, mark));
    Drain();
    EXPECT_GE(FindMessage(Log(), "SetBacklightRequirement(1)"), 0);

    // Enable_Mouse 0: reports dropped, status notices still handled. (Set after the
    // close: the program saves its own record when it ends.)
    EXPECT_EQ(0, CloseRunning());
    SetDword(L"Enable_Mouse", 0);
    DeleteDebugLog();
    ASSERT_TRUE(StartRunning());
    ASSERT_TRUE(PostToListener(TM_MOUSESTATUS, 1, 0));
    mark = recorder.Mark();
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(PostToListener(TM_MOUSEREPORT, PackMouseReport(0, 20, 20), MOUSEEVENTF_LEFTDOWN));
    Drain();
    EXPECT_EQ(1, Count("TM_MOUSESTATUS: 1"));
    EXPECT_EQ(0, Count("DoAction:"));
    Sleep(200);
    EXPECT_EQ(mark, recorder.Mark()) << "no input while mouse support is off";
}

TEST_F(Listener, AttachmentStateMachine)
{
    ASSERT_TRUE(StartRunning());
    // Each row: status sent, then what a report right after it does ("DoAction" logged or not).
    struct Row {
        int status;
        bool reportsHandled;
    } rows[] = {
        {0, false}, // detached -> detached
        {7, false}, // detached, other value -> detached
        {1, true},  // detached -> attached
        {1, true},  // attached, 1 again -> attached
        {7, false}, // attached, other value -> detached (cursor not hidden)
        {1, true},
        {0, false}, // attached -> detached (cursor hidden)
    };
    int handled = 0;
    for (const Row& row : rows) {
        ASSERT_TRUE(PostToListener(TM_MOUSESTATUS, row.status, 0));
        ASSERT_TRUE(PostToListener(TM_MOUSEREPORT, 0, MOUSEEVENTF_LEFTDOWN));
        ASSERT_TRUE(PostToListener(TM_MOUSEREPORT, 0, MOUSEEVENTF_LEFTUP));
        handled += row.reportsHandled;
        Drain();
        EXPECT_EQ(handled, Count("DoAction: 0")) << "after status " << row.status;
    }
    EXPECT_EQ(2, Count("TM_MOUSESTATUS: 0"));
    EXPECT_EQ(2, Count("TM_MOUSESTATUS: 7"));
    EXPECT_EQ(3, Count("TM_MOUSESTATUS: 1"));
}

TEST_F(Listener, KeyReportsAreGatedOnlyByEnableKB)
{
    Recorder recorder;
    ASSERT_TRUE(recorder.Start());
    ASSERT_TRUE(StartRunning());
    size_t mark = recorder.Mark();
    // No keyboard attachment notice has come: keys are injected all the same.
    ASSERT_TRUE(PostToListener(TM_KBREPORT, PackKeyReport('Q', 0x10), 0));
    ASSERT_TRUE(PostToListener(TM_KBREPORT, PackKeyReport('Q', 0x10), KEYEVENTF_KEYUP));
    RecorderEvent down;
    ASSERT_TRUE(recorder.WaitFor("keydown", &down, mark));
    EXPECT_EQ((UINT)'Q', down.vk);
    EXPECT_EQ(0x10u, down.scan);
    EXPECT_TRUE(recorder.WaitFor("keyup", nullptr, mark));

    ASSERT_TRUE(PostToListener(TM_KBSTATUS, 5, 0));
    Drain();
    EXPECT_EQ(1, Count("TM_KBSTATUS: 5"));

    EXPECT_EQ(0, CloseRunning());
    SetDword(L"Enable_KB", 0);
    DeleteDebugLog();
    ASSERT_TRUE(StartRunning());
    mark = recorder.Mark();
    ASSERT_TRUE(PostToListener(TM_KBSTATUS, 1, 0));
    ASSERT_TRUE(PostToListener(TM_KBREPORT, PackKeyReport('W', 0x11), 0));
    ASSERT_TRUE(PostToListener(TM_KBREPORT, PackKeyReport('W', 0x11), KEYEVENTF_KEYUP));
    Drain();
    Sleep(200);
    auto events = recorder.Events();
    for (size_t i = mark; i < events.size(); ++i)
        ADD_FAILURE() << "unexpected " << FormatRecorderEvent(events[i]);
    EXPECT_LT(FindMessage(Log(), "SetBacklightRequirement(1)"), 0);
}

TEST_F(Listener, BluetoothNoticeIsOnlyLogged)
{
    ASSERT_TRUE(StartRunning());
    ASSERT_TRUE(PostToListener(TM_BLUETOOTH, 3, 0));
    ASSERT_TRUE(WaitForLog("TM_BLUETOOTH: 3"));
    ASSERT_TRUE(PostToListener(TM_MOUSEREPORT, 0, MOUSEEVENTF_LEFTDOWN));
    Drain();
    EXPECT_EQ(0, Count("DoAction:")) << "a Bluetooth notice attaches nothing";
}

TEST_F(Listener, ThousandsOfMixedMessagesAreHandledInPostingOrder)
{
    Recorder recorder;
    ASSERT_TRUE(recorder.Start());
    ASSERT_TRUE(StartRunning());
    size_t mark = recorder.Mark();
    const int rounds = 600;
    // Key presses of A..Z in turn, each followed by its release and a numbered notice.
    for (int i = 0; i < rounds; ++i) {
        BYTE vk = (BYTE)('A' + i % 26);
        ASSERT_TRUE(PostToListener(TM_KBREPORT, PackKeyReport(vk, 0x1E), 0));
        ASSERT_TRUE(PostToListener(TM_KBREPORT, PackKeyReport(vk, 0x1E), KEYEVENTF_KEYUP));
        ASSERT_TRUE(PostToListener(TM_BLUETOOTH, i, 0));
        if (i % 100 == 0) {
            ASSERT_TRUE(PostToListener(TM_KBSTATUS, 1, 0));
        }
    }
    auto downs = recorder.WaitForCount("keydown", rounds, mark, 60000);
    ASSERT_EQ((size_t)rounds, downs.size());
    for (int i = 0; i < rounds; ++i)
        ASSERT_EQ((UINT)('A' + i % 26), downs[i].vk) << "key " << i;
    Drain();
    auto log = Log();
    int at = 0;
    for (int i = 0; i < rounds; ++i) {
        at = FindMessage(log, "TM_BLUETOOTH: " + std::to_string(i), at);
        ASSERT_GE(at, 0) << "notice " << i << " missing or out of order";
    }
}

} // namespace
