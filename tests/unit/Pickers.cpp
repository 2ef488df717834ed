// The pickers in the test's own process: the filter test and the two path builders
// on a real tree control, a program picker with the filter "*.", 200 openings of
// each picker, and pickers whose window or tree cannot be made.
#include <gtest/gtest.h>
#include <psapi.h>
#include <functional>
#include <thread>
#include "DebugLogFile.h"
#include "DeviceKit.h"
#include "Sequence.h"
#include "browsers/AppletBrowser.h"
#include "browsers/AppletCall.h"
#include "browsers/FolderListing.h"
#include "browsers/PickerFrame.h"
#include "browsers/PickerTreePaths.h"
#include "browsers/ProgramBrowser.h"
#include "core/DebugLog.h"
#include "core/ScreenMetrics.h"
#include "resource.h"

namespace {

TEST(PickerFilter, LastFourCharactersReversedOccurInTheFilter)
{
    const wchar_t* const programs = L"exe.|knl.";
    const struct {
        const wchar_t *name, *filter;
        bool passes;
    } rows[] = {
        {L"notes.exe", programs, true}, {L"Notes.lnk", programs, true},  {L"CALC.EXE", programs, false},
        {L"a.txt", programs, false},    {L"e", programs, true},          {L"xe", programs, true},
        {L"lnk", programs, true},       {L"ab", programs, false},        {L"\\", programs, false},
        {L"", programs, false},         {L"a.exe.txt", programs, false}, {L"CALC.EXE", L"*.", true},
        {L"readme", L"*.", true},       {L"x.cpl", L"lpc.", true},       {L"x.exe", L"lpc.", false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.passes, PassesFilter(row.name, row.filter)) << ToUtf8(row.name) << " " << ToUtf8(row.filter);
}

// A folder's level is sorted by the picker itself, quickly for plain names; the
// order must stay the tree's own (lstrcmpiW) for every name.
TEST(FolderOrder, GatheredNamesSortAsTheTreeSortsThem)
{
    const wchar_t alphabet[] = L"aAbBzZ09.._-~ \u00e9";
    unsigned state = 12345;
    auto next = [&state] { return (state = state * 1103515245u + 12345u) >> 16; };
    FolderListing listing;
    for (int i = 0; i < 3000; ++i) { // past the first blocks, so that they move
        std::wstring name;
        for (unsigned length = 1 + next() % 8; length; --length)
            name += alphabet[next() % (ARRAYSIZE(alphabet) - 1)];
        ASSERT_TRUE(AddFolderEntry(listing, name.c_str(), i % 7 == 0));
    }
    SortFolderListing(listing);
    for (int i = 1; i < listing.count; ++i) {
        const FolderEntry &a = listing.entries[i - 1], &b = listing.entries[i];
        ASSERT_LE(lstrcmpiW(a.name, b.name), 0) << ToUtf8(a.name) << " before " << ToUtf8(b.name);
        ASSERT_EQ(a.plain, IsPlainName(a.name)) << ToUtf8(a.name);
    }
    for (int i = 0; i + 1 < listing.count; i += 2) {
        const FolderEntry &a = listing.entries[i], &b = listing.entries[(i * 7919) % listing.count];
        int expected = lstrcmpiW(a.name, b.name);
        int fast = CompareFolderNames(a.name, a.plain, b.name, b.plain);
        ASSERT_EQ(expected < 0, fast < 0) << ToUtf8(a.name) << " / " << ToUtf8(b.name);
        ASSERT_EQ(expected > 0, fast > 0) << ToUtf8(a.name) << " / " << ToUtf8(b.name);
    }
}

HTREEITEM Insert(HWND tree, HTREEITEM parent, const std::wstring& text)
{
    TVINSERTSTRUCTW insert = {};
    insert.hParent = parent ? parent : TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = (LPWSTR)text.c_str();
    return (HTREEITEM)SendMessageW(tree, TVM_INSERTITEMW, 0, (LPARAM)&insert);
}

TEST(PickerPaths, SearchPathAndFullPathOfEachLevel)
{
    InitCommonControls();
    HWND tree = CreateWindowExW(0, WC_TREEVIEWW, L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    HTREEITEM root = Insert(tree, nullptr, L"\\"), folder = Insert(tree, root, L"Program Files");
    HTREEITEM library = Insert(tree, nullptr, L"system.cpl"), longName = Insert(tree, root, std::wstring(200, L'a'));
    // "\" + 200 + "\" + 57 is 259 characters: the path fits, its search pattern does not.
    std::wstring fits = L"\\" + std::wstring(200, L'a') + L"\\" + std::wstring(57, L'b');
    const struct {
        HTREEITEM item;
        const wchar_t *searchPath, *fullPath; // null: does not fit
    } rows[] = {
        {root, L"\\*.*", L"\\\\"},
        {folder, L"\\Program Files\\*.*", L"\\Program Files"},
        {Insert(tree, Insert(tree, folder, L"Tools"), L"tool.exe"), L"\\Program Files\\Tools\\tool.exe\\*.*",
         L"\\Program Files\\Tools\\tool.exe"},
        {library, L"system.cpl\\*.*", L"\\system.cpl"},
        {Insert(tree, library, L"Memory"), L"system.cpl\\Memory\\*.*", L"\\system.cpl\\Memory"},
        {Insert(tree, longName, std::wstring(57, L'b')), nullptr, fits.c_str()},
        {Insert(tree, longName, std::wstring(58, L'b')), nullptr, nullptr},
    };
    for (const auto& row : rows) {
        WCHAR out[TEXT_CHARS] = L"junk";
        EXPECT_EQ(row.searchPath ? 1 : 0, GetItemPath(tree, row.item, out));
        EXPECT_STREQ(row.searchPath ? row.searchPath : L"", out);
        EXPECT_EQ(row.fullPath != nullptr, GetFullItemPath(tree, row.item, out, false));
        EXPECT_STREQ(row.fullPath ? row.fullPath : L"", out);
    }
    DestroyWindow(tree);
}

// The applets listed under a fresh node for the library `path`.
std::vector<std::wstring> ListedApplets(HWND tree, const wchar_t* path)
{
    HTREEITEM node = Insert(tree, nullptr, L"node");
    GetAppletContents(tree, (std::wstring(path) + L"\\*.*").c_str(), node);
    std::vector<std::wstring> names;
    for (HTREEITEM child = TreeView_GetChild(tree, node); child; child = TreeView_GetNextSibling(tree, child)) {
        WCHAR text[TEXT_CHARS] = L"";
        ReadItemText(tree, child, text);
        names.push_back(text);
    }
    TreeView_DeleteItem(tree, node);
    return names;
}

// A library's own exception handlers come first: one that probes memory, or faults
// and raises inside a handler of its own, lists every applet. A library that leaves
// an exception of any kind unhandled, or never answers, costs the picker that
// library only: what it named before is listed, the rest reads as "not found", and
// the program goes on. A library in an unknown state is never called or released
// again. A slow library has the time limit for each of its calls; the asking for an
// applet's index stops at the first of that name.
TEST(AppletLibraries, OnlyWhatALibraryLeavesUnhandledOrASilenceCostsThatLibrary)
{
    InitCommonControls();
    CreateDirectoryW(L"C:\\AppletFaults", nullptr);
    const struct {
        const wchar_t* file;
        std::vector<std::wstring> listed;
        const wchar_t* last;  // the name of the last applet
        int lastIndex;        // what FindAppletIndex answers for it
        int openings;         // a library that faulted is not called again
    } rows[] = {
        {L"probe.cpl", {L"Probed once", L"Probed twice"}, L"Probed twice", 1, 1},
        {L"catch.cpl", {L"Caught once", L"Caught twice"}, L"Caught twice", 1, 1},
        {L"crash.cpl", {L"Before the fault"}, L"Never seen", -1, 2},
        {L"breakpoint.cpl", {L"Before the breakpoint"}, L"Never seen", -1, 2},
        {L"raise.cpl", {L"Before the exception"}, L"Never seen", -1, 2},
        {L"hang.cpl", {}, L"Before the hang", 0, 1}, // found before the silence
        {L"slow.cpl", {L"Slow but sure"}, L"Slow but sure", 0, 1},
    };
    HWND tree = CreateWindowExW(0, WC_TREEVIEWW, L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    DWORD start = GetTickCount();
    for (const auto& row : rows) {
        std::wstring copy = std::wstring(L"C:\\AppletFaults\\") + row.file;
        ASSERT_TRUE(CopyFileW(DeviceProgramPath(L"sample.cpl").c_str(), copy.c_str(), FALSE) ||
                    GetFileAttributesW(copy.c_str()) != INVALID_FILE_ATTRIBUTES);
        for (int opening = 0; opening < row.openings; ++opening)
            EXPECT_EQ(row.listed, ListedApplets(tree, copy.c_str())) << ToUtf8(row.file) << " opening " << opening;
        EXPECT_EQ(row.lastIndex, FindAppletIndex(copy.c_str(), row.last)) << ToUtf8(row.file);
    }
    EXPECT_LT(GetTickCount() - start, 60000u) << "the picker waits for a silent library only so long";
    DestroyWindow(tree);
}

// What a library may leave unhandled inside CPlApplet: the guarded call ends with
// the exception's own code, whatever its kind, on this processor as on the others.
volatile int s_zero = 0, s_one = 1;
volatile unsigned s_deepest = ~0u;
// Each call hands its own frame on, so none can be folded into a loop. A frame of
// many pages is probed page by page from its top, as compilers do: the overflow is
// met at the top of the stack's last page, with room left to report it.
int Deeper(unsigned depth, volatile char* above)
{
    volatile char frame[64 * 1024];
    frame[0] = above ? above[0] : 0;
    return depth < s_deepest ? Deeper(depth + 1, frame) : frame[0];
}
LONG APIENTRY WritesNowhere(HWND, UINT, LPARAM, LPARAM) { return *(volatile LONG*)nullptr = 1; }
LONG APIENTRY DividesByZero(HWND, UINT, LPARAM, LPARAM) { return s_one / s_zero; }
LONG APIENTRY RecursesForEver(HWND, UINT, LPARAM, LPARAM) { return Deeper(0, nullptr); }
LONG APIENTRY HitsABreakpoint(HWND, UINT, LPARAM, LPARAM)
{
    DebugBreak();
    return 1;
}
LONG APIENTRY RaisesItsOwn(HWND, UINT, LPARAM, LPARAM)
{
    RaiseException(0xE0564E54, 0, 0, nullptr);
    return 1;
}

struct FaultRow {
    const char* name;
    APPLET_PROC entry;
    DWORD code;
};
const FaultRow kFaultRows[] = {
    {"AccessViolation", WritesNowhere, 0xC0000005},
    {"DivideByZero", DividesByZero, 0xC0000094},
    {"StackOverflow", RecursesForEver, 0xC00000FD},
    {"Breakpoint", HitsABreakpoint, 0x80000003},
    {"SoftwareException", RaisesItsOwn, 0xE0564E54},
};

class AppletFaultRow : public ::testing::TestWithParam<FaultRow> {};

TEST_P(AppletFaultRow, EndsTheCallWithItsCode)
{
    struct Call {
        APPLET_PROC entry;
        bool returned;
        LONG result;
        DWORD code;
    } call = {GetParam().entry, true, -1, 0};
    // A thread of its own, with a small stack: an overflow spends that stack, not the test's.
    HANDLE thread = CreateThread(
        nullptr, 0,
        [](void* data) WINAPI -> DWORD {
            Call& c = *(Call*)data;
            c.returned = CallApplet(c.entry, nullptr, CPL_INIT, 0, 0, &c.result, &c.code);
            return 0;
        },
        &call, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 10000));
    CloseHandle(thread);
    EXPECT_FALSE(call.returned);
    EXPECT_EQ(0, call.result);
    EXPECT_EQ(GetParam().code, call.code) << std::hex << call.code;
}

INSTANTIATE_TEST_SUITE_P(Table, AppletFaultRow, ::testing::ValuesIn(kFaultRows),
                         [](const ::testing::TestParamInfo<FaultRow>& info) { return std::string(info.param.name); });

// The log tells what the library answered; the picker lists no more than it holds.
TEST(AppletLibraries, ALibrarysOwnCountIsLoggedAndItsListHeldToTheLimit)
{
    InitCommonControls();
    g_debugEnabled = 1;
    DeleteDebugLog();
    // The sample library lies about its count when it goes by this name.
    const wchar_t* const liar = L"C:\\AppletFaults\\liar.cpl";
    CreateDirectoryW(L"C:\\AppletFaults", nullptr);
    ASSERT_TRUE(CopyFileW(DeviceProgramPath(L"sample.cpl").c_str(), liar, FALSE) ||
                GetFileAttributesW(liar) != INVALID_FILE_ATTRIBUTES);
    HWND tree = CreateWindowExW(0, WC_TREEVIEWW, L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ((size_t)APPLETS_PER_LIBRARY_MAX, ListedApplets(tree, liar).size());
    EXPECT_GE(FindMessage(ReadDebugLogMessages(), "GetAppletContents items=100000"), 0);
    DestroyWindow(tree);
    g_debugEnabled = 0;
}

// Runs a picker on this thread while `drive` acts on it from a second thread once
// its tree is there; the picker is cancelled afterwards, whatever `drive` did.
std::wstring RunPicker(bool applet, const wchar_t* filter, std::function<void(HWND picker, HWND tree)> drive)
{
    ComputeSize();
    const wchar_t* title = applet ? L"Add Applet" : L"Add Shortcut or Program";
    std::thread driver([&] {
        HWND picker = WaitForWindow(nullptr, title, 5000), tree = nullptr;
        for (DWORD start = GetTickCount(); picker && !tree && GetTickCount() - start < 5000; Sleep(5))
            tree = GetDlgItem(picker, applet ? IDC_APPLET_TREE : IDC_PROGRAM_TREE);
        if (tree)
            drive(picker, tree);
        PostMessageW(picker, WM_COMMAND, IDM_PICKER_CANCEL, 0);
    });
    WCHAR path[TEXT_CHARS], second[TEXT_CHARS];
    std::wstring strip = StageDirectory() + (applet ? L"\\images\\tva_f1.jpg" : L"\\images\\tvf_f1.jpg");
    (applet ? ShowAppletBrowser : ShowProgramBrowser)(GetModuleHandleW(nullptr), nullptr, title, filter, path, second,
                                                      strip.c_str());
    driver.join();
    return path;
}

// The child of `parent` with this text, expanded.
HTREEITEM Expand(HWND tree, HTREEITEM parent, const wchar_t* text)
{
    HTREEITEM item = (HTREEITEM)SendMessageW(tree, TVM_GETNEXTITEM, parent ? TVGN_CHILD : TVGN_ROOT, (LPARAM)parent);
    for (WCHAR read[TEXT_CHARS]; item && !(ReadItemText(tree, item, read) && wcscmp(read, text) == 0);)
        item = (HTREEITEM)SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, (LPARAM)item);
    SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, (LPARAM)item);
    return item;
}

TEST(ProgramPickerInProcess, StarDotListsAndAcceptsEveryFile)
{
    std::vector<std::wstring> listed;
    std::wstring chosen = RunPicker(false, L"*.", [&](HWND picker, HWND tree) {
        HTREEITEM tools = Expand(tree, Expand(tree, Expand(tree, nullptr, L"\\"), L"Program Files"), L"Tools");
        for (HTREEITEM item = TreeView_GetChild(tree, tools); item; item = TreeView_GetNextSibling(tree, item)) {
            WCHAR text[TEXT_CHARS];
            ReadItemText(tree, item, text);
            listed.push_back(text);
            if (listed.back() == L"CALC.EXE")
                SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)item);
        }
        SendMessageW(picker, WM_COMMAND, IDM_PICKER_OK, 0);
    });
    EXPECT_EQ((std::vector<std::wstring>{L"ab", L"CALC.EXE", L"e", L"folder.exe", L"README.TXT", L"tool.exe", L"xe"}),
              listed);
    EXPECT_EQ(L"\\Program Files\\Tools\\CALC.EXE", chosen);
}

// A folder's cap counts the nodes listed, not the entries read: files that the
// filter leaves out take none of it.
TEST(ProgramPickerInProcess, AFolderIsListedUpToItsCapOfNodesShown)
{
    // \Crowded (the device's boot) holds one program more than a folder lists, and
    // text files among them.
    int listed = 0;
    RunPicker(false, L"exe.|knl.", [&](HWND, HWND tree) {
        HTREEITEM crowded = Expand(tree, Expand(tree, nullptr, L"\\"), L"Crowded");
        for (HTREEITEM item = TreeView_GetChild(tree, crowded); item; item = TreeView_GetNextSibling(tree, item))
            ++listed;
    });
    EXPECT_EQ(FOLDER_ENTRIES_MAX, listed) << "the text files must not take the programs' places";
}

// Wine counts no GDI objects per process, but hands out freed handle slots first:
// a leak shows as the next new handle's slot climbing.
unsigned NextGdiSlot()
{
    HBRUSH brush = CreateSolidBrush(RGB(1, 1, 1));
    unsigned slot = LOWORD((ULONG_PTR)brush);
    DeleteObject(brush);
    return slot;
}

TEST(PickerResources, TwoHundredOpeningsOfEachKeepOneClassAndLeaveGdiAndMemoryAsTheyWere)
{
    auto classOfOpening = [](bool applet) {
        WCHAR name[64] = {};
        RunPicker(applet, L"exe.|knl.", [&](HWND picker, HWND) { GetClassNameW(picker, name, ARRAYSIZE(name)); });
        return std::wstring(name);
    };
    for (int i = 0; i < 3; ++i) // caches of the image decoder and the controls
        classOfOpening(i % 2 == 0);
    PROCESS_MEMORY_COUNTERS_EX before = {}, after = {};
    GetProcessMemoryInfo(GetCurrentProcess(), (PROCESS_MEMORY_COUNTERS*)&before, sizeof before);
    unsigned slot = NextGdiSlot();
    int otherClasses = 0;
    for (int i = 0; i < 400; ++i) {
        bool applet = i % 2 == 0;
        otherClasses += classOfOpening(applet) == (applet ? L"browseapplet" : L"browsefile") ? 0 : 1;
    }
    GetProcessMemoryInfo(GetCurrentProcess(), (PROCESS_MEMORY_COUNTERS*)&after, sizeof after);
    EXPECT_EQ(0, otherClasses) << "each kind's openings share its one class";
    EXPECT_LE(NextGdiSlot(), slot + 8) << "strip, image list and font released";
    EXPECT_LT((long long)after.PrivateUsage - (long long)before.PrivateUsage, 1024 * 1024);
}

// A CBT hook refuses the creation of windows whose class starts with this text.
const wchar_t* s_refusedClass;
LRESULT CALLBACK RefuseCreation(int code, WPARAM wParam, LPARAM lParam)
{
    const wchar_t* name = code == HCBT_CREATEWND ? ((CBT_CREATEWNDW*)lParam)->lpcs->lpszClass : nullptr;
    if (name && !IS_INTRESOURCE(name) && _wcsnicmp(name, s_refusedClass, wcslen(s_refusedClass)) == 0)
        return 1;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(PickerResources, AWindowOrTreeThatCannotBeMadeReturnsAtOnceWithTheOwnerEnabled)
{
    ComputeSize();
    HWND owner = CreateWindowExW(0, L"static", L"owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    const std::pair<bool, const wchar_t*> rows[] = {
        {true, L"browseapplet"}, {true, L"SysTreeView32"}, {false, L"browsefile"}, {false, L"SysTreeView32"}};
    for (const auto& [applet, refused] : rows) {
        s_refusedClass = refused;
        HHOOK hook = SetWindowsHookExW(WH_CBT, RefuseCreation, nullptr, GetCurrentThreadId());
        WCHAR path[TEXT_CHARS] = L"x", second[TEXT_CHARS] = L"y";
        DWORD start = GetTickCount();
        (applet ? ShowAppletBrowser : ShowProgramBrowser)(GetModuleHandleW(nullptr), owner, L"Refused", L"lpc.", path,
                                                          second, L"\\nothing.jpg");
        UnhookWindowsHookEx(hook);
        EXPECT_LT(GetTickCount() - start, 3000u) << ToUtf8(refused);
        EXPECT_STREQ(L"", path);
        EXPECT_STREQ(L"", second);
        EXPECT_TRUE(IsWindowEnabled(owner));
        EXPECT_EQ(nullptr, FindWindowW(nullptr, L"Refused"));
    }
    DestroyWindow(owner);
}

} // namespace
