// The pickers in the test's own process: the filter test and the two path builders
// on a real tree control, a program picker with the filter "*.", 200 openings of
// each picker, and pickers whose window or tree cannot be made.
#include <gtest/gtest.h>
#include <psapi.h>
#include <functional>
#include <string>
#include <thread>
#include "AppletBrowser.h"
#include "DeviceKit.h"
#include "PickerFrame.h"
#include "ProgramBrowser.h"
#include "ScreenMetrics.h"
#include "resource.h"

namespace {

struct FilterCase {
    const wchar_t* name;
    const wchar_t* filter;
    BOOL passes;
};
const FilterCase kFilterCases[] = {
    {L"notes.exe", L"exe.|knl.", TRUE},  {L"Notes.lnk", L"exe.|knl.", TRUE},  {L"CALC.EXE", L"exe.|knl.", FALSE},
    {L"readme.txt", L"exe.|knl.", FALSE}, {L"e", L"exe.|knl.", TRUE},         {L"xe", L"exe.|knl.", TRUE},
    {L"lnk", L"exe.|knl.", TRUE},         {L"ab", L"exe.|knl.", FALSE},       {L"\\", L"exe.|knl.", FALSE},
    {L"", L"exe.|knl.", FALSE},           {L"a.exe.txt", L"exe.|knl.", FALSE}, {L"CALC.EXE", L"*.", TRUE},
    {L"readme", L"*.", TRUE},             {L"x.cpl", L"lpc.", TRUE},          {L"x.exe", L"lpc.", FALSE},
};

TEST(PickerFilter, LastFourCharactersReversedOccurInTheFilter)
{
    for (const FilterCase& c : kFilterCases)
        EXPECT_EQ(c.passes, PassesFilter(c.name, c.filter)) << "[" << ToUtf8(c.name) << "] " << ToUtf8(c.filter);
}

struct PickerPaths : ::testing::Test {
    HWND window = nullptr, tree = nullptr;
    void SetUp() override
    {
        InitCommonControls();
        window = CreateWindowExW(0, L"static", L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
        tree = CreateWindowExW(0, WC_TREEVIEWW, L"", WS_CHILD, 0, 0, 100, 100, window, nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, tree);
    }
    void TearDown() override { DestroyWindow(window); }
    HTREEITEM Add(HTREEITEM parent, const std::wstring& text)
    {
        TVINSERTSTRUCTW insert = {};
        insert.hParent = parent ? parent : TVI_ROOT;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT;
        insert.item.pszText = (LPWSTR)text.c_str();
        return (HTREEITEM)SendMessageW(tree, TVM_INSERTITEMW, 0, (LPARAM)&insert);
    }
};

TEST_F(PickerPaths, SearchPathAndFullPathOfEachLevel)
{
    HTREEITEM root = Add(nullptr, L"\\"), folder = Add(root, L"Program Files"), tools = Add(folder, L"Tools");
    HTREEITEM library = Add(nullptr, L"system.cpl"), long200 = Add(root, std::wstring(200, L'a'));
    // "\" + 200 + "\" + 57 is 259 characters: the path fits, its search pattern does not.
    std::wstring fits = L"\\" + std::wstring(200, L'a') + L"\\" + std::wstring(57, L'b');
    struct Row {
        HTREEITEM item;
        const wchar_t* searchPath; // null: does not fit
        const wchar_t* fullPath;
    } rows[] = {
        {root, L"\\*.*", L"\\\\"},
        {folder, L"\\Program Files\\*.*", L"\\Program Files"},
        {Add(tools, L"tool.exe"), L"\\Program Files\\Tools\\tool.exe\\*.*", L"\\Program Files\\Tools\\tool.exe"},
        {library, L"system.cpl\\*.*", L"\\system.cpl"},
        {Add(library, L"Memory"), L"system.cpl\\Memory\\*.*", L"\\system.cpl\\Memory"},
        {Add(long200, std::wstring(57, L'b')), nullptr, fits.c_str()},
        {Add(long200, std::wstring(58, L'b')), nullptr, nullptr},
    };
    for (const Row& row : rows) {
        WCHAR out[TEXT_CHARS] = L"junk";
        EXPECT_EQ(row.searchPath ? 1 : 0, GetItemPath(tree, row.item, out));
        EXPECT_STREQ(row.searchPath ? row.searchPath : L"", out);
        EXPECT_EQ(row.fullPath ? 1 : 0, GetFullItemPath(tree, row.item, out, false));
        EXPECT_STREQ(row.fullPath ? row.fullPath : L"", out);
    }
}

// Runs a picker on this thread while `drive` acts on its window from a second
// thread, once its tree is there; whatever `drive` did, the picker is then cancelled.
void RunPicker(bool applet, const wchar_t* filter, std::function<void(HWND)> drive, std::wstring* result = nullptr)
{
    ComputeSize();
    const wchar_t* title = applet ? L"Add Applet" : L"Add Shortcut or Program";
    std::thread driver([&] {
        HWND picker = WaitForWindow(nullptr, title, 5000);
        DWORD start = GetTickCount();
        while (picker && !GetDlgItem(picker, applet ? IDC_APPLET_TREE : IDC_PROGRAM_TREE) && GetTickCount() - start < 5000)
            Sleep(5);
        if (picker)
            drive(picker);
        PostMessageW(picker, WM_COMMAND, IDM_PICKER_CANCEL, 0);
    });
    WCHAR path[TEXT_CHARS], second[TEXT_CHARS];
    std::wstring strip = StageDirectory() + (applet ? L"\\images\\tva_f1.jpg" : L"\\images\\tvf_f1.jpg");
    (applet ? ShowAppletBrowser : ShowProgramBrowser)(GetModuleHandleW(nullptr), nullptr, title, filter, path, second,
                                                      strip.c_str());
    driver.join();
    if (result)
        *result = path;
}

HTREEITEM ExpandChild(HWND tree, HTREEITEM parent, const wchar_t* text)
{
    HTREEITEM item = (HTREEITEM)SendMessageW(tree, TVM_GETNEXTITEM, parent ? TVGN_CHILD : TVGN_ROOT, (LPARAM)parent);
    for (WCHAR read[TEXT_CHARS]; item; item = (HTREEITEM)SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, (LPARAM)item))
        if (ReadItemText(tree, item, read) && wcscmp(read, text) == 0)
            break;
    SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, (LPARAM)item);
    return item;
}

TEST(ProgramPickerInProcess, StarDotListsAndAcceptsEveryFile)
{
    std::vector<std::wstring> listed;
    std::wstring chosen;
    RunPicker(false, L"*.", [&](HWND picker) {
        HWND tree = GetDlgItem(picker, IDC_PROGRAM_TREE);
        HTREEITEM tools = ExpandChild(tree, ExpandChild(tree, ExpandChild(tree, nullptr, L"\\"), L"Program Files"), L"Tools");
        HTREEITEM calc = nullptr;
        for (HTREEITEM item = TreeView_GetChild(tree, tools); item; item = TreeView_GetNextSibling(tree, item)) {
            WCHAR text[TEXT_CHARS];
            ReadItemText(tree, item, text);
            listed.push_back(text);
            if (listed.back() == L"CALC.EXE")
                calc = item;
        }
        SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)calc);
        SendMessageW(picker, WM_COMMAND, IDM_PICKER_OK, 0);
    }, &chosen);
    EXPECT_EQ((std::vector<std::wstring>{L"ab", L"CALC.EXE", L"e", L"folder.exe", L"README.TXT", L"tool.exe", L"xe"}), listed);
    EXPECT_EQ(L"\\Program Files\\Tools\\CALC.EXE", chosen);
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

TEST(PickerResources, TwoHundredOpeningsOfEachLeaveClassesGdiAndMemoryAsTheyWere)
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    auto openAndCancel = [&](bool applet) {
        WCHAR className[PICKER_CLASS_CHARS] = {};
        RunPicker(applet, L"exe.|knl.", [&](HWND picker) {
            GetClassNameW(picker, className, PICKER_CLASS_CHARS);
            PostMessageW(picker, WM_COMMAND, IDM_PICKER_CANCEL, 0);
        });
        WNDCLASSW unused;
        return className[0] && !GetClassInfoW(instance, className, &unused);
    };
    for (int i = 0; i < 3; ++i) // caches of the image decoder and the controls
        openAndCancel(i % 2 == 0);
    PROCESS_MEMORY_COUNTERS_EX before = {}, after = {};
    GetProcessMemoryInfo(GetCurrentProcess(), (PROCESS_MEMORY_COUNTERS*)&before, sizeof before);
    unsigned slot = NextGdiSlot();
    int classesLeft = 0;
    for (int i = 0; i < 400; ++i)
        classesLeft += openAndCancel(i % 2 == 0) ? 0 : 1;
    GetProcessMemoryInfo(GetCurrentProcess(), (PROCESS_MEMORY_COUNTERS*)&after, sizeof after);
    EXPECT_EQ(0, classesLeft) << "each opening's class is unregistered";
    EXPECT_LE(NextGdiSlot(), slot + 8) << "strip, image list and font released";
    EXPECT_LT((long long)after.PrivateUsage - (long long)before.PrivateUsage, 1024 * 1024);
}

// A CBT hook refuses the creation of windows whose class starts with this text.
const wchar_t* s_refusedClass;
LRESULT CALLBACK RefuseCreation(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND) {
        const wchar_t* name = ((CBT_CREATEWNDW*)lParam)->lpcs->lpszClass;
        if (!IS_INTRESOURCE(name) && _wcsnicmp(name, s_refusedClass, wcslen(s_refusedClass)) == 0)
            return 1;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(PickerResources, AWindowOrTreeThatCannotBeMadeReturnsAtOnceWithTheOwnerEnabled)
{
    ComputeSize();
    HWND owner = CreateWindowExW(0, L"static", L"owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    const struct {
        bool applet;
        const wchar_t* refused;
    } rows[] = {{true, L"browseapplet:"}, {true, L"SysTreeView32"}, {false, L"browsefile:"}, {false, L"SysTreeView32"}};
    for (const auto& row : rows) {
        s_refusedClass = row.refused;
        HHOOK hook = SetWindowsHookExW(WH_CBT, RefuseCreation, nullptr, GetCurrentThreadId());
        WCHAR path[TEXT_CHARS] = L"x", second[TEXT_CHARS] = L"y";
        DWORD start = GetTickCount();
        (row.applet ? ShowAppletBrowser : ShowProgramBrowser)(GetModuleHandleW(nullptr), owner, L"Refused", L"lpc.",
                                                              path, second, L"\\nothing.jpg");
        UnhookWindowsHookEx(hook);
        EXPECT_LT(GetTickCount() - start, 3000u) << ToUtf8(row.refused);
        EXPECT_STREQ(L"", path);
        EXPECT_STREQ(L"", second);
        EXPECT_TRUE(IsWindowEnabled(owner));
        EXPECT_EQ(nullptr, FindWindowW(nullptr, L"Refused"));
    }
    DestroyWindow(owner);
}

} // namespace
