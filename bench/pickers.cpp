// Picker benchmark: how long the real pickers take to fill their trees, beside a bare
// tree control given the same names (the floor), and how long the settings window
// takes to come back after OK. Runs on the emulated device; prints its figures.
//   pickers.exe, run by bench/pickers.sh, which makes C:\BenchPickers (folders of
// 2,000 and 10,000 files, half of them programs, and "small" with a.exe) and 50
// copies of the sample applet library in \windows.
#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>
#include "DeviceKit.h"
#include "browsers/AppletBrowser.h"
#include "browsers/PickerFrame.h"
#include "browsers/PickerTreePaths.h"
#include "browsers/ProgramBrowser.h"
#include "core/ScreenMetrics.h"
#include "resource.h"

namespace {

const int kRounds = 10;
const int kLibraries = 50;
const wchar_t kBenchFolder[] = L"C:\\BenchPickers";
const wchar_t kProgramTitle[] = L"Add Shortcut or Program";
const wchar_t kAppletTitle[] = L"Add Applet";

double Now()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * (double)t.QuadPart / (double)frequency.QuadPart;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

std::wstring Number(int n, int digits)
{
    std::wstring text = std::to_wstring(n);
    return std::wstring(digits > (int)text.size() ? digits - text.size() : 0, L'0') + text;
}

// The programs of a benchmark folder of `count` files, as bench/pickers.sh names
// them: every other file is a program.
std::vector<std::wstring> ProgramNames(int count)
{
    std::vector<std::wstring> programs;
    for (int i = 0; i < count; i += 2)
        programs.push_back(L"f" + Number(i, 5) + L".exe");
    return programs;
}

HTREEITEM Child(HWND tree, HTREEITEM parent, const std::wstring& text)
{
    HTREEITEM item = (HTREEITEM)SendMessageW(tree, TVM_GETNEXTITEM, parent ? TVGN_CHILD : TVGN_ROOT, (LPARAM)parent);
    for (WCHAR read[TEXT_CHARS]; item; item = (HTREEITEM)SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, (LPARAM)item))
        if (ReadItemText(tree, item, read) && text == read)
            return item;
    return nullptr;
}

int CountChildren(HWND tree, HTREEITEM parent)
{
    int n = 0;
    for (HTREEITEM item = TreeView_GetChild(tree, parent); item; item = TreeView_GetNextSibling(tree, item))
        ++n;
    return n;
}

// Expands a node as the user does (the key on the selected node) and waits for the
// tree to be drawn; milliseconds.
double TimedExpand(HWND tree, HTREEITEM node)
{
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)node);
    double start = Now();
    SendMessageW(tree, WM_KEYDOWN, VK_ADD, 0);
    UpdateWindow(tree);
    return Now() - start;
}

void Collapse(HWND tree, HTREEITEM node)
{
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)node);
    SendMessageW(tree, WM_KEYDOWN, VK_SUBTRACT, 0);
    UpdateWindow(tree);
}

// The floor: a bare tree control made like the picker's (size, style, font and
// images), given the same names in the picker's order under a collapsed node and
// expanded by the same key, then drawn. It lives on the pickers' thread, in the
// host window made there at the start, and is driven from the measuring thread the
// way the picker is: one sent message to fill and expand, then UpdateWindow.
enum { WM_FLOOR_MAKE = WM_APP + 1, WM_FLOOR_FILL, WM_FLOOR_DESTROY };
HWND g_floorHost;

struct FloorFill {
    HTREEITEM node;
    const std::vector<std::wstring>* names;
};

HTREEITEM InsertFloorItem(HWND tree, HTREEITEM parent, const std::wstring& text)
{
    TVINSERTSTRUCTW insert = {};
    insert.hParent = parent ? parent : TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN;
    insert.item.pszText = (LPWSTR)text.c_str();
    insert.item.iImage = insert.item.iSelectedImage = parent ? PICKER_IMAGE_LEAF : PICKER_IMAGE_COLLAPSED;
    insert.item.cChildren = parent ? 0 : 1;
    return (HTREEITEM)SendMessageW(tree, TVM_INSERTITEMW, 0, (LPARAM)&insert);
}

LRESULT CALLBACK FloorHostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND tree = GetWindow(window, GW_CHILD);
    switch (message) {
    case WM_FLOOR_MAKE: {
        HWND model = (HWND)lParam;
        RECT size;
        GetClientRect(model, &size);
        SetWindowPos(window, HWND_TOP, 0, 0, size.right, size.bottom, SWP_NOACTIVATE | SWP_SHOWWINDOW);
        tree = CreateWindowExW(0, WC_TREEVIEWW, L"", (DWORD)GetWindowLongPtrW(model, GWL_STYLE), 0, 0, size.right,
                               size.bottom, window, nullptr, nullptr, nullptr);
        SendMessageW(tree, WM_SETFONT, SendMessageW(model, WM_GETFONT, 0, 0), FALSE);
        // The image list stays the picker's: a tree never destroys its own.
        SendMessageW(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, SendMessageW(model, TVM_GETIMAGELIST, TVSIL_NORMAL, 0));
        return (LRESULT)tree;
    }
    case WM_FLOOR_FILL: {
        const FloorFill* fill = (const FloorFill*)lParam;
        SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)fill->node);
        for (const std::wstring& name : *fill->names)
            InsertFloorItem(tree, fill->node, name);
        SendMessageW(tree, WM_KEYDOWN, VK_ADD, 0);
        return 0;
    }
    case WM_FLOOR_DESTROY:
        DestroyWindow(tree);
        ShowWindow(window, SW_HIDE);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

struct BareTree {
    HWND tree;
    explicit BareTree(HWND model) { tree = (HWND)SendMessageW(g_floorHost, WM_FLOOR_MAKE, 0, (LPARAM)model); }
    ~BareTree() { SendMessageW(g_floorHost, WM_FLOOR_DESTROY, 0, 0); }
    HTREEITEM Insert(HTREEITEM parent, const std::wstring& text) { return InsertFloorItem(tree, parent, text); }
    double Fill(HTREEITEM node, const std::vector<std::wstring>& names)
    {
        SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)node);
        FloorFill fill = {node, &names};
        double start = Now();
        SendMessageW(g_floorHost, WM_FLOOR_FILL, 0, (LPARAM)&fill);
        UpdateWindow(tree);
        double took = Now() - start;
        SendMessageW(tree, TVM_EXPAND, TVE_COLLAPSE | TVE_COLLAPSERESET, (LPARAM)node);
        UpdateWindow(tree); // nothing of this fill is left to draw in the next measurement
        return took;
    }
};

struct Row {
    std::wstring what;
    int n;
    double picker, floor, collapse;
};
std::vector<Row> g_rows;
std::vector<double> g_okProgram, g_okApplet;
HWND g_owner;

// Taps OK on the picker's soft-key bar with the stylus; milliseconds until the
// owner is back in front.
double TapOkUntilOwnerInFront(HWND picker)
{
    HWND bar = FindSoftKeyBar(picker);
    HWND ok = bar ? FindWindowExW(bar, nullptr, L"button", L"OK") : nullptr;
    RECT key = {};
    if (!ok || !GetWindowRect(ok, &key)) {
        fwprintf(stderr, L"pickers: no OK key\n");
        return -1;
    }
    double start = Now();
    TapScreen((key.left + key.right) / 2, (key.top + key.bottom) / 2);
    while (GetForegroundWindow() != g_owner || IsWindow(picker)) {
        if (Now() - start > 10000) {
            fwprintf(stderr, L"pickers: OK did not bring the owner back\n");
            return -1;
        }
        Sleep(1);
    }
    return Now() - start;
}

HWND WaitForTree(const wchar_t* title, int id)
{
    HWND picker = WaitForWindow(nullptr, title, 10000);
    double start = Now();
    while (picker && !(GetDlgItem(picker, id) && SendMessageW(GetDlgItem(picker, id), TVM_GETCOUNT, 0, 0) > 0) &&
           Now() - start < 10000)
        Sleep(1);
    return picker;
}

void MeasureFolders(HWND picker, const std::vector<std::vector<std::wstring>>& folders)
{
    HWND tree = GetDlgItem(picker, IDC_PROGRAM_TREE);
    HTREEITEM root = Child(tree, nullptr, L"\\");
    SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, (LPARAM)root);
    HTREEITEM bench = Child(tree, root, L"BenchPickers");
    SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, (LPARAM)bench);
    BareTree bare(tree);
    for (size_t f = 0; f < folders.size(); ++f) {
        std::wstring name = L"files" + std::to_wstring(folders[f].size() * 2);
        HTREEITEM node = Child(tree, bench, name);
        HTREEITEM floorNode = bare.Insert(nullptr, name);
        std::vector<double> picked, floor, collapsed;
        for (int round = 0; round <= kRounds; ++round) { // round 0 warms the caches
            double took = TimedExpand(tree, node);
            if (CountChildren(tree, node) != (int)folders[f].size())
                fwprintf(stderr, L"pickers: %ls listed %d, not %zu\n", name.c_str(), CountChildren(tree, node),
                         folders[f].size());
            double collapseStart = Now();
            Collapse(tree, node);
            double collapseTook = Now() - collapseStart;
            double bareTook = bare.Fill(floorNode, folders[f]);
            if (round) {
                picked.push_back(took);
                floor.push_back(bareTook);
                collapsed.push_back(collapseTook);
            }
        }
        fwprintf(stderr, L"pickers: %ls measured\n", name.c_str());
        g_rows.push_back({L"folder of " + std::to_wstring(folders[f].size() * 2) + L" files", (int)folders[f].size(),
                          Median(picked), Median(floor), Median(collapsed)});
    }
}

void MeasureLibraries(HWND picker, double opened, std::vector<double>& firstLevel)
{
    HWND tree = GetDlgItem(picker, IDC_APPLET_TREE);
    firstLevel.push_back(opened);
    BareTree bare(tree);
    std::vector<HTREEITEM> nodes, floorNodes;
    for (int i = 0; i < kLibraries; ++i) {
        nodes.push_back(Child(tree, nullptr, L"bench" + Number(i, 2) + L".cpl"));
        floorNodes.push_back(bare.Insert(nullptr, L"bench" + Number(i, 2) + L".cpl"));
    }
    std::vector<double> picked, floor, collapsed;
    for (int round = 0; round <= kRounds; ++round) {
        double sweep = 0, bareSweep = 0, collapseSweep = 0;
        for (int i = 0; i < kLibraries; ++i) {
            sweep += TimedExpand(tree, nodes[i]);
            double collapseStart = Now();
            Collapse(tree, nodes[i]);
            collapseSweep += Now() - collapseStart;
            bareSweep += bare.Fill(floorNodes[i], {L"Sample Applet"});
        }
        if (round) {
            picked.push_back(sweep);
            floor.push_back(bareSweep);
            collapsed.push_back(collapseSweep);
        }
    }
    g_rows.push_back({L"50 libraries, each expanded", kLibraries, Median(picked), Median(floor), Median(collapsed)});
}

// Opens the applet picker ten times with the libraries now in \windows, each time
// until its first level is listed (the tree answers once the level is filled); the
// median time from the call to the level filled, and the longest.
void MeasureCrowdedOpening(HINSTANCE instance)
{
    std::wstring strip = StageDirectory() + L"\\images\\tva_f1.jpg";
    std::vector<double> opened;
    LRESULT listed = 0;
    for (int round = 0; round <= kRounds; ++round) { // round 0 warms the caches
        double called = Now();
        std::thread driver([&] {
            HWND picker = WaitForTree(kAppletTitle, IDC_APPLET_TREE);
            HWND tree = picker ? GetDlgItem(picker, IDC_APPLET_TREE) : nullptr;
            listed = tree ? SendMessageW(tree, TVM_GETCOUNT, 0, 0) : 0;
            if (tree && round > 0)
                opened.push_back(Now() - called);
            PostMessageW(picker, WM_COMMAND, IDM_PICKER_CANCEL, 0);
        });
        WCHAR path[TEXT_CHARS], second[TEXT_CHARS];
        ShowAppletBrowser(instance, g_owner, kAppletTitle, L"lpc.", path, second, strip.c_str());
        driver.join();
    }
    wprintf(L"applet picker opened with %d libraries in \\windows: %.1f ms (max %.1f)\n", (int)listed, Median(opened),
            opened.empty() ? 0.0 : *std::max_element(opened.begin(), opened.end()));
}

} // namespace

// "pickers.exe" measures folders, libraries and OK; "pickers.exe crowded" only the
// applet picker's opening with the libraries in \windows.
int wmain(int argc, wchar_t** argv)
{
    ComputeSize();
    InitCommonControls();
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (argc == 2 && wcscmp(argv[1], L"crowded") == 0) {
        int top = TopBarHeight();
        g_owner = CreateWindowExW(0, L"static", L"Bench owner", WS_POPUP | WS_VISIBLE, 0, top,
                                  GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN) - top, nullptr,
                                  nullptr, instance, nullptr);
        MeasureCrowdedOpening(instance);
        DestroyWindow(g_owner);
        return 0;
    }
    if (GetFileAttributesW((std::wstring(kBenchFolder) + L"\\files10000").c_str()) == INVALID_FILE_ATTRIBUTES) {
        fwprintf(stderr, L"pickers: no %ls; run bench/pickers.sh\n", kBenchFolder);
        return 1;
    }
    std::vector<std::vector<std::wstring>> folders = {ProgramNames(2000), ProgramNames(10000)};


    WNDCLASSW floorClass = {};
    floorClass.lpfnWndProc = FloorHostProc;
    floorClass.hInstance = instance;
    floorClass.lpszClassName = L"BenchFloor";
    RegisterClassW(&floorClass);
    g_floorHost = CreateWindowExW(WS_EX_NOACTIVATE, L"BenchFloor", L"floor", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                  instance, nullptr);
    int top = TopBarHeight();
    g_owner = CreateWindowExW(0, L"static", L"Bench owner", WS_POPUP | WS_VISIBLE, 0, top,
                              GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN) - top, nullptr, nullptr,
                              instance, nullptr);
    std::wstring images = StageDirectory() + L"\\images\\";
    WCHAR path[TEXT_CHARS], second[TEXT_CHARS];

    // Program picker: the folders once, then OK from a small folder, ten times.
    for (int opening = 0; opening < kRounds; ++opening) {
        std::thread driver([&] {
            HWND picker = WaitForTree(kProgramTitle, IDC_PROGRAM_TREE);
            if (!picker)
                return;
            if (opening == 0)
                MeasureFolders(picker, folders);
            HWND tree = GetDlgItem(picker, IDC_PROGRAM_TREE);
            HTREEITEM root = Child(tree, nullptr, L"\\");
            SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, (LPARAM)root);
            HTREEITEM bench = Child(tree, root, L"BenchPickers");
            SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, (LPARAM)bench);
            HTREEITEM small = Child(tree, bench, L"small");
            TimedExpand(tree, small);
            SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)Child(tree, small, L"a.exe"));
            g_okProgram.push_back(TapOkUntilOwnerInFront(picker));
            PostMessageW(picker, WM_COMMAND, IDM_PICKER_CANCEL, 0); // a refused OK ends the opening all the same
        });
        ShowProgramBrowser(instance, g_owner, kProgramTitle, L"exe.|knl.", path, second,
                           (images + L"tvf_f1.jpg").c_str());
        driver.join();
    }

    // Applet picker: the first level and every library expanded, then OK on an applet.
    std::vector<double> firstLevel;
    for (int opening = 0; opening < kRounds; ++opening) {
        double called = Now();
        std::thread driver([&] {
            HWND picker = WaitForTree(kAppletTitle, IDC_APPLET_TREE);
            HWND tree = picker ? GetDlgItem(picker, IDC_APPLET_TREE) : nullptr;
            while (tree && SendMessageW(tree, TVM_GETCOUNT, 0, 0) < kLibraries)
                Sleep(0);
            double opened = Now() - called;
            if (!tree)
                return;
            if (opening == 0)
                MeasureLibraries(picker, opened, firstLevel);
            else
                firstLevel.push_back(opened);
            HTREEITEM owner = Child(tree, nullptr, L"owner.cpl");
            TimedExpand(tree, owner);
            SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)Child(tree, owner, L"Owner Information"));
            g_okApplet.push_back(TapOkUntilOwnerInFront(picker));
            PostMessageW(picker, WM_COMMAND, IDM_PICKER_CANCEL, 0);
        });
        ShowAppletBrowser(instance, g_owner, kAppletTitle, L"lpc.", path, second, (images + L"tva_f1.jpg").c_str());
        driver.join();
    }

    DestroyWindow(g_owner);
    DestroyWindow(g_floorHost);

    wprintf(L"Picker benchmark, %dx%d screen, median of %d\n", GetSystemMetrics(SM_CXSCREEN),
            GetSystemMetrics(SM_CYSCREEN), kRounds);
    wprintf(L"%-32ls %6ls %10ls %10ls %6ls %12ls\n", L"expanding", L"nodes", L"picker ms", L"floor ms", L"ratio",
            L"collapse ms");
    for (const Row& row : g_rows)
        wprintf(L"%-32ls %6d %10.1f %10.1f %6.2f %12.1f\n", row.what.c_str(), row.n, row.picker, row.floor,
                row.floor > 0 ? row.picker / row.floor : 0.0, row.collapse);
    if (g_rows.size() >= 2 && g_rows[0].picker > 0)
        wprintf(L"growth 2,000 -> 10,000 files: x%.2f (n log n: x%.2f)\n", g_rows[1].picker / g_rows[0].picker,
                5.0 * log(10000.0) / log(2000.0));
    wprintf(L"applet picker opened with %d libraries in \\windows: %.1f ms\n", kLibraries + 11, Median(firstLevel));
    wprintf(L"OK to the owner in front: program picker %.1f ms (max %.1f), applet picker %.1f ms (max %.1f)\n",
            Median(g_okProgram), *std::max_element(g_okProgram.begin(), g_okProgram.end()), Median(g_okApplet),
            *std::max_element(g_okApplet.begin(), g_okApplet.end()));
    return 0;
}
