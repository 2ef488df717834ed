#include "Pickers.h"
#include "resource.h"
#include <cstring>

const wchar_t kAppletTitle[] = L"Add Applet";
const wchar_t kProgramTitle[] = L"Add Shortcut or Program";

namespace {
const DWORD kAnswerMs = 10000;
enum { TEXT_OFFSET = 256, REMOTE_BYTES = 4096 };

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kAnswerMs, &result);
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

bool RemoteTree::Get(HTREEITEM item, UINT mask, TVITEMW* out, std::wstring* text) const
{
    if (!remote_ || !item)
        return false;
    TVITEMW request = {};
    request.mask = mask | TVIF_HANDLE | (text ? TVIF_TEXT : 0);
    request.hItem = item;
    request.pszText = (LPWSTR)(remote_ + TEXT_OFFSET);
    request.cchTextMax = 260;
    if (!WriteProcessMemory(process_, remote_, &request, sizeof request, nullptr) ||
        !Send(tree_, TVM_GETITEMW, 0, (LPARAM)remote_))
        return false;
    ReadProcessMemory(process_, remote_, out, sizeof *out, nullptr);
    if (text) {
        wchar_t buffer[261] = {};
        ReadProcessMemory(process_, remote_ + TEXT_OFFSET, buffer, 260 * sizeof(wchar_t), nullptr);
        *text = buffer;
    }
    return true;
}

std::vector<HTREEITEM> RemoteTree::Children(HTREEITEM parent) const
{
    std::vector<HTREEITEM> items;
    HTREEITEM item = parent ? (HTREEITEM)Send(tree_, TVM_GETNEXTITEM, TVGN_CHILD, (LPARAM)parent)
                            : (HTREEITEM)Send(tree_, TVM_GETNEXTITEM, TVGN_ROOT, 0);
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

HTREEITEM RemoteTree::FindPath(const std::vector<std::wstring>& texts) const
{
    HTREEITEM item = nullptr;
    for (const std::wstring& text : texts)
        if (!(item = Find(item, text)))
            return nullptr;
    return item;
}

std::wstring RemoteTree::Text(HTREEITEM item) const
{
    TVITEMW read = {};
    std::wstring text;
    Get(item, 0, &read, &text);
    return text;
}

int RemoteTree::Image(HTREEITEM item) const
{
    TVITEMW read = {};
    return Get(item, TVIF_IMAGE, &read, nullptr) ? read.iImage : -1;
}

int RemoteTree::ChildrenFlag(HTREEITEM item) const
{
    TVITEMW read = {};
    return Get(item, TVIF_CHILDREN, &read, nullptr) ? read.cChildren : -1;
}

HTREEITEM RemoteTree::Selected() const { return (HTREEITEM)Send(tree_, TVM_GETNEXTITEM, TVGN_CARET, 0); }

void RemoteTree::Select(HTREEITEM item) const { Send(tree_, TVM_SELECTITEM, TVGN_CARET, (LPARAM)item); }

void RemoteTree::TapButton(HTREEITEM item) const
{
    // The button lies left of the label; the tree's own hit test finds it.
    Send(tree_, TVM_ENSUREVISIBLE, 0, (LPARAM)item);
    RECT label = {};
    memcpy(&label, &item, sizeof item); // TVM_GETITEMRECT takes the item in the rectangle
    if (!WriteProcessMemory(process_, remote_, &label, sizeof label, nullptr) ||
        !Send(tree_, TVM_GETITEMRECT, TRUE, (LPARAM)remote_))
        return;
    ReadProcessMemory(process_, remote_, &label, sizeof label, nullptr);
    int y = (label.top + label.bottom) / 2;
    for (int x = 0; x < label.left; ++x) {
        TVHITTESTINFO hit = {};
        hit.pt = {x, y};
        WriteProcessMemory(process_, remote_, &hit, sizeof hit, nullptr);
        Send(tree_, TVM_HITTEST, 0, (LPARAM)remote_);
        ReadProcessMemory(process_, remote_, &hit, sizeof hit, nullptr);
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
        if (!Expanded(item))
            TapButton(item);
    }
    return item;
}

bool RemoteTree::Expanded(HTREEITEM item) const
{
    return (Send(tree_, TVM_GETITEMSTATE, (WPARAM)item, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
}

POINT RemoteTree::LabelCentre(HTREEITEM item) const
{
    Send(tree_, TVM_ENSUREVISIBLE, 0, (LPARAM)item);
    RECT label = {};
    memcpy(&label, &item, sizeof item);
    WriteProcessMemory(process_, remote_, &label, sizeof label, nullptr);
    Send(tree_, TVM_GETITEMRECT, TRUE, (LPARAM)remote_);
    ReadProcessMemory(process_, remote_, &label, sizeof label, nullptr);
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
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, ARRAYSIZE(text), (LPARAM)text, SMTO_ABORTIFHUNG, kAnswerMs, &ignored);
    return text;
}

void SetWindowTextRemote(HWND window, const std::wstring& text)
{
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, WM_SETTEXT, 0, (LPARAM)text.c_str(), SMTO_ABORTIFHUNG, kAnswerMs, &ignored);
}

void PickerTest::SetUp()
{
    PelorinTest::SetUp();
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
    if (!key)
        return false;
    Send(key, BM_CLICK, 0, 0);
    return true;
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
