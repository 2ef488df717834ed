#include "Pickers.h"
#include "ProgramMessages.h"
#include "resource.h"
#include <cstring>

const wchar_t kAppletTitle[] = L"Add Applet";
const wchar_t kProgramTitle[] = L"Add Shortcut or Program";

namespace {
enum { TEXT_OFFSET = 256, REMOTE_BYTES = 4096 };

// Long enough for a library's whole exchange (15 s), which a tap may start.
LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 30000, &result);
    return (LRESULT)result;
}
} // namespace

RemoteTree::RemoteTree(HWND tree) : tree_(tree)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(tree, &processId);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (process_)
        remote_ = (BYTE*)VirtualAllocEx(process_, nullptr, REMOTE_BYTES, MEM_COMMIT, PAGE_READWRITE);
}

RemoteTree::~RemoteTree()
{
    if (remote_)
        VirtualFreeEx(process_, remote_, 0, MEM_RELEASE);
    if (process_)
        CloseHandle(process_);
}

// A tree message whose record lives in the tree's process: written there, read back.
bool RemoteTree::Call(UINT message, WPARAM wParam, const void* in, void* out, size_t bytes) const
{
    return remote_ && WriteProcessMemory(process_, remote_, in, bytes, nullptr) &&
           Send(tree_, message, wParam, (LPARAM)remote_) && ReadProcessMemory(process_, remote_, out, bytes, nullptr);
}

std::vector<HTREEITEM> RemoteTree::Children(HTREEITEM parent) const
{
    std::vector<HTREEITEM> items;
    HTREEITEM item = (HTREEITEM)Send(tree_, TVM_GETNEXTITEM, parent ? TVGN_CHILD : TVGN_ROOT, (LPARAM)parent);
    for (; item; item = (HTREEITEM)Send(tree_, TVM_GETNEXTITEM, TVGN_NEXT, (LPARAM)item))
        items.push_back(item);
    return items;
}

std::vector<std::wstring> RemoteTree::ChildTexts(HTREEITEM parent) const
{
    std::vector<std::wstring> texts;
    for (HTREEITEM item : Children(parent))
        texts.push_back(Text(item));
    return texts;
}

HTREEITEM RemoteTree::Find(HTREEITEM parent, const std::wstring& text) const
{
    for (HTREEITEM item : Children(parent))
        if (Text(item) == text)
            return item;
    return nullptr;
}

std::wstring RemoteTree::Text(HTREEITEM item) const
{
    TVITEMW read = {};
    read.mask = TVIF_HANDLE | TVIF_TEXT;
    read.hItem = item;
    read.pszText = (LPWSTR)(remote_ + TEXT_OFFSET);
    read.cchTextMax = 260;
    wchar_t text[261] = {};
    if (Call(TVM_GETITEMW, 0, &read, &read, sizeof read))
        ReadProcessMemory(process_, remote_ + TEXT_OFFSET, text, 260 * sizeof(wchar_t), nullptr);
    return text;
}

int RemoteTree::ChildrenFlag(HTREEITEM item) const
{
    TVITEMW read = {};
    read.mask = TVIF_HANDLE | TVIF_CHILDREN;
    read.hItem = item;
    return Call(TVM_GETITEMW, 0, &read, &read, sizeof read) ? read.cChildren : -1;
}

void RemoteTree::Select(HTREEITEM item) const { Send(tree_, TVM_SELECTITEM, TVGN_CARET, (LPARAM)item); }

void RemoteTree::TapButton(HTREEITEM item) const
{
    // The button lies left of the label; the tree's own hit test finds it.
    Send(tree_, TVM_ENSUREVISIBLE, 0, (LPARAM)item);
    RECT label = {};
    memcpy(&label, &item, sizeof item); // TVM_GETITEMRECT takes the item in the rectangle
    if (!Call(TVM_GETITEMRECT, TRUE, &label, &label, sizeof label))
        return;
    int y = (label.top + label.bottom) / 2;
    for (int x = 0; x < label.left; ++x) {
        TVHITTESTINFO hit = {};
        hit.pt = {x, y};
        Call(TVM_HITTEST, 0, &hit, &hit, sizeof hit);
        if (hit.hItem == item && (hit.flags & TVHT_ONITEMBUTTON)) {
            Send(tree_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
            Send(tree_, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
            return;
        }
    }
}

HTREEITEM RemoteTree::ExpandPath(const std::vector<std::wstring>& texts) const
{
    HTREEITEM item = nullptr;
    for (const std::wstring& text : texts) {
        if (!(item = Find(item, text)))
            return nullptr;
        if (!(Send(tree_, TVM_GETITEMSTATE, (WPARAM)item, TVIS_EXPANDED) & TVIS_EXPANDED))
            TapButton(item);
    }
    return item;
}

POINT RemoteTree::LabelCentre(HTREEITEM item) const
{
    Send(tree_, TVM_ENSUREVISIBLE, 0, (LPARAM)item);
    RECT label = {};
    memcpy(&label, &item, sizeof item);
    Call(TVM_GETITEMRECT, TRUE, &label, &label, sizeof label);
    POINT centre = {(label.left + label.right) / 2, (label.top + label.bottom) / 2};
    ClientToScreen(tree_, &centre);
    return centre;
}

void DoubleTapAt(POINT at)
{
    TapScreen(at.x, at.y);
    TapScreen(at.x, at.y);
}

std::wstring WindowText(HWND window)
{
    wchar_t text[1024] = {};
    Send(window, WM_GETTEXT, ARRAYSIZE(text), (LPARAM)text);
    return text;
}

void SetWindowTextRemote(HWND window, const std::wstring& text) { Send(window, WM_SETTEXT, 0, (LPARAM)text.c_str()); }

void PickerTest::SetUp()
{
    PelorinTest::SetUp();
    Arrange();
    ASSERT_TRUE(StartRunning());
    SendToWindow(WM_TRAY_CALLBACK, TRAY_ICON_ID, WM_LBUTTONUP);
    ASSERT_TRUE(IsWindowVisible(MainWindow()));
}

HWND PickerTest::OpenPicker(int button, int action)
{
    if (!ChooseButtonAction(MainWindow(), button, action))
        return nullptr;
    const wchar_t* title = action == 10 ? kAppletTitle : kProgramTitle;
    int treeId = action == 10 ? IDC_APPLET_TREE : IDC_PROGRAM_TREE;
    HWND picker = nullptr;
    // The window shows before its controls: ready once the tree's first level is there.
    WaitUntil([&] {
        picker = FindWindowW(nullptr, title);
        return picker && Send(GetDlgItem(picker, treeId), TVM_GETCOUNT, 0, 0) > 0;
    }, 10000);
    return picker;
}

bool PickerTest::PressSoftKey(HWND picker, const wchar_t* label)
{
    HWND key = nullptr;
    for (HWND bar = GetWindow(GetDesktopWindow(), GW_CHILD); bar && !key; bar = GetWindow(bar, GW_HWNDNEXT))
        if (GetWindow(bar, GW_OWNER) == picker)
            key = FindWindowExW(bar, nullptr, L"button", label);
    return key && Send(key, BM_CLICK, 0, 0) >= 0;
}

bool PickerTest::WaitClosed(HWND picker, DWORD timeoutMs)
{
    if (!WaitUntil([&] { return !IsWindow(picker); }, timeoutMs) ||
        !WaitUntil([&] { return IsWindowEnabled(MainWindow()) != FALSE; }, timeoutMs))
        return false;
    // Answered once the settings window's thread is back in its own loop, after it
    // stored the choice.
    SendToWindow(WM_NULL, 0, 0);
    return true;
}
