// The two pickers through the real Pelorin.exe: what they list, show and accept, how
// they are confirmed and cancelled, what the settings window stores, and the chosen
// targets opened from the mouse buttons by the control panel and the shell.
#include "Pickers.h"
#include <atomic>
#include <functional>
#include <thread>
#include "resource.h"

namespace {

const DWORD kMiddleClick = 1; // the middle button's installed action

HWND TopBar() { return FindWindowW(L"HHTaskBar", nullptr); }

size_t CountLog(const std::vector<std::string>& log, const std::string& line)
{
    return (size_t)std::count(log.begin(), log.end(), line);
}

struct Picker : PickerTest {
    // OK on the soft-key bar leaves the picker open.
    bool OkRefused(HWND picker)
    {
        PressSoftKey(picker, L"OK");
        Sleep(300);
        return IsWindow(picker) != FALSE;
    }
};

// Besides the device's own libraries, the applet picker meets awkward ones, placed in
// \windows for these tests alone: copies of the sample library that fail CPL_INIT,
// answer only CPL_INQUIRE or lie about their count and names, a library without the
// entry point, a file that is no library and a folder named like one.
struct AppletPicker : Picker {
    const std::vector<std::wstring> samples = {L"C:\\windows\\broken.cpl", L"C:\\windows\\legacy.cpl",
                                               L"C:\\windows\\liar.cpl"};
    const wchar_t* const noEntry = L"C:\\windows\\noentry.cpl";
    const wchar_t* const notALibrary = L"C:\\windows\\notalib.cpl";
    const wchar_t* const folder = L"C:\\windows\\folder.cpl";

    void Arrange() override
    {
        for (const std::wstring& file : samples)
            ASSERT_TRUE(CopyFileW(DeviceProgramPath(L"sample.cpl").c_str(), file.c_str(), FALSE));
        ASSERT_TRUE(CopyFileW(DeviceProgramPath(L"noentry.cpl").c_str(), noEntry, FALSE));
        DeleteFileW(notALibrary);
        ASSERT_TRUE(AppendTextLine(notALibrary, L"not a library"));
        CreateDirectoryW(folder, nullptr);
        // The device's ROM folders carry the system bit.
        ASSERT_TRUE(SetFileAttributesW(folder, FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_SYSTEM));
    }
    ~AppletPicker() override // after Pelorin, which may keep them loaded, has gone
    {
        for (const std::wstring& file : samples)
            DeleteFileW(file.c_str());
        DeleteFileW(noEntry);
        DeleteFileW(notALibrary);
        SetFileAttributesW(folder, FILE_ATTRIBUTE_DIRECTORY);
        RemoveDirectoryW(folder);
    }
};

// The picker covers the screen and holds the settings window; the first level lists
// every ".cpl" of \windows, and each library what it answers, awkward ones included.
TEST_F(AppletPicker, ListsEveryLibraryAndWhatEachAnswers)
{
    HWND picker = OpenPicker(1, 10);
    ASSERT_NE(nullptr, picker);
    EXPECT_FALSE(IsWindowEnabled(MainWindow())) << "the settings window waits";
    EXPECT_TRUE(WaitUntil([] { return !IsWindowVisible(TopBar()); })) << "full screen";
    RemoteTree tree(Control(picker, IDC_APPLET_TREE));
    EXPECT_EQ((std::vector<std::wstring>{L"broken.cpl", L"connect.cpl", L"folder.cpl", L"input.cpl", L"legacy.cpl",
                                         L"liar.cpl", L"noentry.cpl", L"notalib.cpl", L"owner.cpl", L"REGION.CPL",
                                         L"system.cpl", L"Tessar.cpl"}),
              tree.ChildTexts(nullptr));

    // What each library lists; every file node keeps its button.
    const std::pair<const wchar_t*, std::vector<std::wstring>> expansions[] = {
        {L"REGION.CPL", {}},  {L"broken.cpl", {}}, {L"legacy.cpl", {}}, {L"noentry.cpl", {}}, {L"notalib.cpl", {}},
        {L"folder.cpl", {}},  {L"input.cpl", {L"Input", L"Menus"}},
        {L"connect.cpl", {L"Connections", L"Beam", L"Connections"}}};
    for (const auto& [file, applets] : expansions) {
        tree.TapButton(tree.Find(nullptr, file));
        EXPECT_EQ(applets, tree.ChildTexts(tree.Find(nullptr, file))) << ToUtf8(file);
        EXPECT_EQ(1, tree.ChildrenFlag(tree.Find(nullptr, file))) << ToUtf8(file);
    }
    std::vector<std::wstring> lies = tree.ChildTexts(tree.ExpandPath({L"liar.cpl"}));
    EXPECT_EQ(256u, lies.size()) << "a count of 100000 is held to the limit";
    EXPECT_EQ(31u, lies.empty() ? 0 : lies[0].size()) << "an unterminated name ends with its field";
}

// The top edit shows each selection's reference; OK refuses a file and a reference
// that opens nothing; collapsing and expanding again asks the library again.
TEST_F(AppletPicker, ShowsEachSelectionsReferenceAndRefusesWhatOpensNothing)
{
    HWND picker = OpenPicker(1, 10);
    ASSERT_NE(nullptr, picker);
    RemoteTree tree(Control(picker, IDC_APPLET_TREE));
    HWND choice = Control(picker, IDC_APPLET_CHOICE);
    tree.Select(tree.Find(nullptr, L"system.cpl"));
    EXPECT_EQ(L"\\windows\\system.cpl", WindowText(choice));
    EXPECT_TRUE(OkRefused(picker)) << "a file is not an applet";
    tree.Select(tree.ExpandPath({L"input.cpl", L"Menus"}));
    EXPECT_EQ(L"\\windows\\input.cpl,2", WindowText(choice)) << "the nameless applet keeps its index";
    HTREEITEM connect = tree.Find(nullptr, L"connect.cpl");
    tree.TapButton(connect);
    ASSERT_EQ(3u, tree.Children(connect).size());
    tree.Select(tree.Children(connect)[2]);
    EXPECT_EQ(L"\\windows\\connect.cpl,0", WindowText(choice)) << "the first applet of that name";

    tree.TapButton(connect);
    EXPECT_TRUE(tree.Children(connect).empty());
    EXPECT_EQ(L"\\windows\\connect.cpl", WindowText(choice)) << "the selection moved to the file";
    tree.TapButton(connect);
    EXPECT_EQ(3u, tree.Children(connect).size());
    EXPECT_EQ(2u, CountLog(Log(), "GetAppletContents loaded [connect.cpl]"));

    // A library that no longer has the applet: its reference ends in ",-1".
    HTREEITEM ownerApplet = tree.ExpandPath({L"owner.cpl", L"Owner Information"});
    ASSERT_TRUE(MoveFileW(L"C:\\windows\\owner.cpl", L"C:\\windows\\owner.gone"));
    tree.Select(ownerApplet);
    MoveFileW(L"C:\\windows\\owner.gone", L"C:\\windows\\owner.cpl");
    EXPECT_EQ(L"\\windows\\owner.cpl,-1", WindowText(choice));
    EXPECT_TRUE(OkRefused(picker)) << "a reference that opens nothing is not taken";
}

// Two return keys on an applet confirm it: the button stores the reference and the
// lower edit's text, and the settings window comes back in front with the top bar.
TEST_F(AppletPicker, TwoReturnKeysConfirmAndTheButtonStoresThePick)
{
    HWND picker = OpenPicker(1, 10);
    ASSERT_NE(nullptr, picker);
    RemoteTree tree(Control(picker, IDC_APPLET_TREE));
    HTREEITEM system = tree.Find(nullptr, L"system.cpl");
    tree.TapButton(system);
    tree.Select(tree.Find(system, L"Memory"));
    SetWindowTextRemote(Control(picker, IDC_APPLET_PARAMETER), L"note");
    SendMessageW(tree.Handle(), WM_KEYDOWN, VK_RETURN, 0);
    SendMessageW(tree.Handle(), WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_TRUE(WaitClosed(picker));
    EXPECT_EQ(10u, GetDword(L"Middle_Button_Action"));
    EXPECT_EQ(L"\\windows\\system.cpl,1", GetText(L"Middle_Button_Param1"));
    EXPECT_EQ(L"note", GetText(L"Middle_Button_Param2"));
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == MainWindow(); })) << "the settings window in front";
    EXPECT_TRUE(WaitUntil([] { return IsWindowVisible(TopBar()) != FALSE; })) << "the top bar back";
}

TEST_F(AppletPicker, CancelKeepsTheButtonAndReturnKeysPairAcrossOpenings)
{
    HWND picker = OpenPicker(1, 10);
    ASSERT_NE(nullptr, picker);
    RemoteTree first(Control(picker, IDC_APPLET_TREE));
    first.Select(first.ExpandPath({L"system.cpl", L"Memory"}));
    SendMessageW(first.Handle(), WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_TRUE(PressSoftKey(picker, L"Cancel"));
    ASSERT_TRUE(WaitClosed(picker));
    EXPECT_EQ(kMiddleClick, GetDword(L"Middle_Button_Action"));
    EXPECT_EQ(L"", GetText(L"Middle_Button_Param1"));
    EXPECT_TRUE(WaitUntil([&] {
        return SendMessageW(GetDlgItem(MainWindow(), IDC_ACTION_LIST), CB_GETCURSEL, 0, 0) == (LRESULT)kMiddleClick;
    })) << "the list shows the stored action again";

    // The next opening's first return key pairs with the last one's.
    picker = OpenPicker(1, 10);
    ASSERT_NE(nullptr, picker);
    RemoteTree second(Control(picker, IDC_APPLET_TREE));
    second.Select(second.ExpandPath({L"owner.cpl", L"Owner Information"}));
    SendMessageW(second.Handle(), WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_TRUE(WaitClosed(picker));
    EXPECT_EQ(L"\\windows\\owner.cpl,0", GetText(L"Middle_Button_Param1"));

    // A double tap on empty space does nothing; on an applet it confirms.
    picker = OpenPicker(1, 10);
    ASSERT_NE(nullptr, picker);
    RemoteTree third(Control(picker, IDC_APPLET_TREE));
    HTREEITEM power = third.ExpandPath({L"system.cpl", L"Power"});
    RECT area;
    GetWindowRect(third.Handle(), &area);
    DoubleTapAt({area.left + 100, area.bottom - 5});
    Sleep(500);
    EXPECT_TRUE(IsWindow(picker));
    DoubleTapAt(third.LabelCentre(power));
    ASSERT_TRUE(WaitClosed(picker));
    EXPECT_EQ(L"\\windows\\system.cpl,3", GetText(L"Middle_Button_Param1"));
}

// The applet picker with copies of the sample library in \windows under the names a
// test's libraries go by (the sample acts by its name), placed before Pelorin starts
// and removed after it has gone, since it may keep them loaded.
struct AppletPickerWithSamples : AppletPicker {
    explicit AppletPickerWithSamples(std::vector<std::wstring> names) : files(std::move(names)) {}
    void SetUp() override
    {
        for (const std::wstring& file : files)
            ASSERT_TRUE(CopyFileW(DeviceProgramPath(L"sample.cpl").c_str(), file.c_str(), FALSE));
        AppletPicker::SetUp();
    }
    ~AppletPickerWithSamples() override
    {
        for (const std::wstring& file : files)
            DeleteFileW(file.c_str());
    }
    const std::vector<std::wstring> files;
};

// A library in \windows that never answers when asked for its second applet's name.
struct SilentLibrary : AppletPickerWithSamples {
    SilentLibrary() : AppletPickerWithSamples({L"C:\\windows\\hang.cpl"}) {}
};

TEST_F(SilentLibrary, IsLeftAfterFiveSeconds)
{
    HWND picker = OpenPicker(1, 10);
    ASSERT_NE(nullptr, picker);
    RemoteTree tree(Control(picker, IDC_APPLET_TREE));
    HTREEITEM silent = tree.Find(nullptr, L"hang.cpl");
    ASSERT_NE(nullptr, silent);
    DWORD start = GetTickCount();
    tree.TapButton(silent);
    DWORD tapped = GetTickCount() - start;
    EXPECT_GE(tapped, 4900u) << "left before its five seconds";
    EXPECT_LT(tapped, 9000u) << "waited for more than once";
    EXPECT_TRUE(tree.Children(silent).empty()) << "a library left to itself is not listed";
    ASSERT_TRUE(PressSoftKey(picker, L"Cancel"));
    ASSERT_TRUE(WaitClosed(picker));
    EXPECT_EQ(kMiddleClick, GetDword(L"Middle_Button_Action")) << "closed as cancelled";
}

// Libraries in \windows that answer slowly: drag.cpl takes 1.5 s over each of its
// calls, twelve applets' names among them; slow.cpl 2.6 s over its count and over
// its one name. The picker keeps answering while it waits for them, and is closed
// within a second; it waits no longer than 15 s for a library's whole exchange; a
// slow library's applet is selected at once.
struct SlowLibraries : AppletPickerWithSamples {
    SlowLibraries() : AppletPickerWithSamples({L"C:\\windows\\drag.cpl", L"C:\\windows\\slow.cpl"}) {}
    // Expands drag.cpl on a thread of its own; `expanding` is the test's while it works.
    // How long the tap took to be answered.
    DWORD WhileDragExpands(RemoteTree& tree, const std::function<void()>& expanding)
    {
        std::atomic<DWORD> answered(0);
        DWORD start = GetTickCount();
        std::thread tap([&] {
            tree.TapButton(tree.Find(nullptr, L"drag.cpl"));
            answered = GetTickCount() - start;
        });
        Sleep(2000);
        expanding();
        EXPECT_TRUE(WaitUntil([&] { return answered.load() != 0; }, 30000));
        tap.join();
        return answered;
    }
};

// How a picker is closed while a library works.
struct ClosingRow {
    const char* name;
    void (*close)(HWND picker);
};
// The Cancel key clicked as the soft-key bar's own button is (the emulated shell
// keeps the settings window's soft keys above the picker's, where a tap would go).
void PressCancel(HWND picker)
{
    PostMessageW(FindWindowExW(FindSoftKeyBar(picker), nullptr, L"button", L"Cancel"), BM_CLICK, 0, 0);
}
void CloseFromOutside(HWND picker) { PostMessageW(picker, WM_CLOSE, 0, 0); }
const ClosingRow kClosingRows[] = {
    {"CancelPressed", PressCancel},
    {"ClosedByAnotherProgram", CloseFromOutside},
};

struct ClosingWhileALibraryWorks : SlowLibraries, ::testing::WithParamInterface<ClosingRow> {};

TEST_P(ClosingWhileALibraryWorks, EndsThePickerWithinASecond)
{
    HWND picker = OpenPicker(1, 10);
    ASSERT_NE(nullptr, picker);
    RemoteTree tree(Control(picker, IDC_APPLET_TREE));
    DWORD closing = 0, closed = 0;
    WhileDragExpands(tree, [&] {
        closing = GetTickCount();
        GetParam().close(picker);
        WaitUntil([&] { return !IsWindow(picker); }, 10000);
        closed = GetTickCount();
    });
    EXPECT_FALSE(IsWindow(picker));
    EXPECT_LT(closed - closing, 2500u) << "the picker waited for the library";
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(MainWindow()) != FALSE; })) << "the settings window usable";
    EXPECT_EQ(kMiddleClick, GetDword(L"Middle_Button_Action")) << "closed as cancelled";
}

INSTANTIATE_TEST_SUITE_P(Table, ClosingWhileALibraryWorks, ::testing::ValuesIn(kClosingRows),
                         [](const ::testing::TestParamInfo<ClosingRow>& info) { return std::string(info.param.name); });

TEST_F(SlowLibraries, AreWaitedForBoundedAndAnswering)
{
    HWND picker = OpenPicker(1, 10);
    ASSERT_NE(nullptr, picker);
    RemoteTree tree(Control(picker, IDC_APPLET_TREE));
    HWND parameter = Control(picker, IDC_APPLET_PARAMETER);
    // The cursor over the tree, while idle and while a library is waited for.
    POINT over = tree.LabelCentre(tree.Find(nullptr, L"owner.cpl"));
    SetCursorPos(over.x, over.y);
    CURSORINFO idle = {sizeof idle}, busy = {sizeof busy};
    WaitUntil([&] { return GetCursorInfo(&idle) && idle.hCursor; }, 2000);
    DWORD typedAfter = 0;
    DWORD answered = WhileDragExpands(tree, [&] {
        SetCursorPos(over.x + 1, over.y);
        SetCursorPos(over.x, over.y);
        Sleep(500);
        GetCursorInfo(&busy);
        DWORD typed = GetTickCount();
        PostMessageW(parameter, WM_CHAR, L'x', 0);
        if (WaitUntil([&] { return WindowText(parameter) == L"x"; }, 10000))
            typedAfter = GetTickCount() - typed;
    });
    EXPECT_TRUE(busy.hCursor && busy.hCursor != idle.hCursor) << "no busy cursor while the library works";
    EXPECT_LT(typedAfter, 2500u) << "the picker did not answer while the library worked";
    EXPECT_GE(answered, 14500u) << "left before its exchange's limit";
    EXPECT_LT(answered, 21000u) << "waited for the library's whole exchange";
    EXPECT_TRUE(tree.Children(tree.Find(nullptr, L"drag.cpl")).empty()) << "a library left to itself is not listed";

    // Listed in 5.2 s: its applet is selected without asking it again.
    HTREEITEM applet = tree.ExpandPath({L"slow.cpl", L"Slow but sure"});
    ASSERT_NE(nullptr, applet);
    DWORD start = GetTickCount();
    tree.Select(applet);
    EXPECT_LT(GetTickCount() - start, 2500u) << "the library was asked again";
    EXPECT_EQ(L"\\windows\\slow.cpl,0", WindowText(Control(picker, IDC_APPLET_CHOICE)));
    ASSERT_TRUE(PressSoftKey(picker, L"OK"));
    ASSERT_TRUE(WaitClosed(picker));
    EXPECT_EQ(L"\\windows\\slow.cpl,0", GetText(L"Middle_Button_Param1"));
}

// Libraries in \windows that handle their own exceptions: one probes memory it cannot
// read, one faults and raises inside a handler of its own. Each lists every applet,
// and OK takes the second one.
struct CarefulLibraries : AppletPickerWithSamples {
    CarefulLibraries() : AppletPickerWithSamples({L"C:\\windows\\probe.cpl", L"C:\\windows\\catch.cpl"}) {}
};

TEST_F(CarefulLibraries, ListEveryAppletAndAreConfirmedByOk)
{
    const struct {
        const wchar_t* file;
        std::vector<std::wstring> applets;
        const wchar_t* reference; // of the second applet
    } rows[] = {
        {L"probe.cpl", {L"Probed once", L"Probed twice"}, L"\\windows\\probe.cpl,1"},
        {L"catch.cpl", {L"Caught once", L"Caught twice"}, L"\\windows\\catch.cpl,1"},
    };
    for (const auto& row : rows) {
        HWND picker = OpenPicker(1, 10);
        ASSERT_NE(nullptr, picker);
        RemoteTree tree(Control(picker, IDC_APPLET_TREE));
        HTREEITEM file = tree.Find(nullptr, row.file);
        tree.TapButton(file);
        EXPECT_EQ(row.applets, tree.ChildTexts(file)) << ToUtf8(row.file);
        tree.Select(tree.Find(file, row.applets[1]));
        EXPECT_EQ(row.reference, WindowText(Control(picker, IDC_APPLET_CHOICE)));
        ASSERT_TRUE(PressSoftKey(picker, L"OK"));
        ASSERT_TRUE(WaitClosed(picker)) << ToUtf8(row.file) << ": OK refused";
        EXPECT_EQ(row.reference, GetText(L"Middle_Button_Param1"));
    }
}

// A folder of the test's own below the root, with a subfolder whose path fits but
// whose search pattern would not ("\PickerTest\" and 246 characters).
struct ProgramPicker : Picker {
    const std::wstring folder = L"C:\\PickerTest", longFolder = L"\\\\?\\" + folder + L"\\" + std::wstring(246, L'd');
    void Touch(const wchar_t* name)
    {
        CloseHandle(CreateFileW((folder + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    }
    void SetUp() override
    {
        CreateDirectoryW(folder.c_str(), nullptr);
        CreateDirectoryW(longFolder.c_str(), nullptr);
        Touch(L"a.exe");
        PickerTest::SetUp();
    }
    void TearDown() override
    {
        PickerTest::TearDown();
        for (const wchar_t* name : {L"a.exe", L"b.exe", L"c.txt"})
            DeleteFileW((folder + L"\\" + name).c_str());
        RemoveDirectoryW(longFolder.c_str());
        RemoveDirectoryW(folder.c_str());
    }
};

TEST_F(ProgramPicker, BrowsesFoldersAndListsWhatPassesTheFilter)
{
    HWND picker = OpenPicker(2, 9);
    ASSERT_NE(nullptr, picker);
    RemoteTree tree(Control(picker, IDC_PROGRAM_TREE));
    HWND choice = Control(picker, IDC_PROGRAM_CHOICE);
    EXPECT_EQ(std::vector<std::wstring>{L"\\"}, tree.ChildTexts(nullptr));
    tree.Select(tree.Find(nullptr, L"\\"));
    EXPECT_EQ(L"\\\\", WindowText(choice));
    EXPECT_TRUE(OkRefused(picker)) << "the root is not a program";

    HTREEITEM tools = tree.ExpandPath({L"\\", L"Program Files", L"Tools"});
    EXPECT_EQ((std::vector<std::wstring>{L"e", L"folder.exe", L"tool.exe", L"xe"}), tree.ChildTexts(tools));
    CURSORINFO cursor = {sizeof cursor};
    EXPECT_TRUE(GetCursorInfo(&cursor) && !cursor.hCursor) << "no cursor after a listing";
    HTREEITEM empty = tree.ExpandPath({L"\\", L"Program Files", L"Empty Folder"});
    EXPECT_EQ(0, tree.ChildrenFlag(empty)) << "an empty folder loses its button";
    EXPECT_EQ(1000u, tree.Children(tree.ExpandPath({L"\\", L"Program Files", L"Many Files"})).size());

    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(longFolder.c_str())) << "no long folder to leave out";
    HTREEITEM test = tree.ExpandPath({L"\\", L"PickerTest"});
    EXPECT_EQ(std::vector<std::wstring>{L"a.exe"}, tree.ChildTexts(test)) << "a folder whose path would be cut is left out";
    tree.TapButton(test);
    Touch(L"b.exe");
    Touch(L"c.txt");
    tree.TapButton(test);
    EXPECT_EQ((std::vector<std::wstring>{L"a.exe", L"b.exe"}), tree.ChildTexts(test)) << "read again";
    EXPECT_TRUE(IsWindowEnabled(MainWindow())) << "the settings window stays enabled";
}

// The shell hides its top bar while the full-screen picker is in front, only then; a
// folder named like a program is opened by a double tap and taken by OK.
TEST_F(ProgramPicker, HidesTheTopBarWhileInFrontAndTakesAFolderNamedLikeAProgram)
{
    HWND picker = OpenPicker(2, 9);
    ASSERT_NE(nullptr, picker);
    RemoteTree tree(Control(picker, IDC_PROGRAM_TREE));
    HWND choice = Control(picker, IDC_PROGRAM_CHOICE);
    HTREEITEM tools = tree.ExpandPath({L"\\", L"Program Files", L"Tools"});
    EXPECT_FALSE(IsWindowVisible(TopBar()));
    SetForegroundWindow(MainWindow());
    EXPECT_TRUE(WaitUntil([] { return IsWindowVisible(TopBar()) != FALSE; })) << "the picker lost the front";
    SetForegroundWindow(picker);
    EXPECT_TRUE(WaitUntil([] { return !IsWindowVisible(TopBar()); })) << "the picker in front again";

    // A folder named like a program: a double tap opens it, OK takes it.
    HTREEITEM folderExe = tree.Find(tools, L"folder.exe");
    DoubleTapAt(tree.LabelCentre(folderExe));
    Sleep(500);
    EXPECT_TRUE(IsWindow(picker));
    tree.Select(folderExe);
    EXPECT_EQ(L"\\Program Files\\Tools\\folder.exe", WindowText(choice));
    ASSERT_TRUE(PressSoftKey(picker, L"OK"));
    ASSERT_TRUE(WaitClosed(picker));
    EXPECT_EQ(9u, GetDword(L"Right_Button_Action"));
    EXPECT_EQ(L"\\Program Files\\Tools\\folder.exe", GetText(L"Right_Button_Param1"));
}

TEST_F(ProgramPicker, ChosenAppletAndShortcutOpenFromTheMouseButtons)
{
    HWND picker = OpenPicker(1, 10);
    ASSERT_NE(nullptr, picker);
    RemoteTree applets(Control(picker, IDC_APPLET_TREE));
    DoubleTapAt(applets.LabelCentre(applets.ExpandPath({L"system.cpl", L"Memory"})));
    ASSERT_TRUE(WaitClosed(picker));

    picker = OpenPicker(2, 9);
    ASSERT_NE(nullptr, picker);
    RemoteTree files(Control(picker, IDC_PROGRAM_TREE));
    files.Select(files.ExpandPath({L"\\", L"windows", L"Start Menu", L"Programs", L"Notes.lnk"}));
    SetWindowTextRemote(Control(picker, IDC_PROGRAM_PARAMETER), L"-x");
    ASSERT_TRUE(PressSoftKey(picker, L"OK"));
    ASSERT_TRUE(WaitClosed(picker));
    EXPECT_EQ(9u, GetDword(L"Right_Button_Action"));

    ClearLaunches();
    DeleteFileW(kControlPanelLogPath);
    Script("attach mouse\nclick middle\nclick right");
    EXPECT_EQ(std::vector<std::wstring>{L"\\windows\\system.cpl,1: CPL_INIT=1 CPL_GETCOUNT=4 "
                                        L"CPL_NEWINQUIRE=[Memory] CPL_DBLCLK=0 CPL_STOP CPL_EXIT"},
              WaitForTextLines(kControlPanelLogPath, 1, 15000));
    std::vector<std::wstring> launches = WaitForLaunches(2, 15000);
    EXPECT_NE(launches.end(), std::find(launches.begin(), launches.end(), L"notes.exe -new -x"))
        << "the shortcut's program with its arguments and the button's";
}

} // namespace
