// The control panel's Settings screen as the user sees it: its list of entries read
// from the control panel's own process, and an entry tapped with the stylus.
#include "DeviceKit.h"
#include <commctrl.h>

namespace {

enum { NAME_CHARS = 260 };

// Memory lent in the list's process: list-view messages write through pointers,
// which must be valid there.
struct RemoteBlock {
    HANDLE process = nullptr;
    BYTE* remote = nullptr;

    RemoteBlock(HWND window, SIZE_T bytes)
    {
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
        if (process)
            remote = (BYTE*)VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT, PAGE_READWRITE);
    }
    ~RemoteBlock()
    {
        if (remote)
            VirtualFreeEx(process, remote, 0, MEM_RELEASE);
        if (process)
            CloseHandle(process);
    }
    bool Write(SIZE_T offset, const void* data, SIZE_T bytes)
    {
        SIZE_T done = 0;
        return remote && WriteProcessMemory(process, remote + offset, data, bytes, &done) && done == bytes;
    }
    bool Read(SIZE_T offset, void* data, SIZE_T bytes)
    {
        SIZE_T done = 0;
        return remote && ReadProcessMemory(process, remote + offset, data, bytes, &done) && done == bytes;
    }
};

LRESULT Ask(HWND list, UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(list, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result) ? (LRESULT)result : 0;
}

} // namespace

HWND FindSettingsList(DWORD timeoutMs)
{
    // The screen shows once its list is complete.
    DWORD start = GetTickCount();
    for (;;) {
        HWND screen = FindWindowW(CONTROL_PANEL_CLASS, CONTROL_PANEL_TITLE);
        HWND list = screen && IsWindowVisible(screen) ? FindWindowExW(screen, nullptr, WC_LISTVIEWW, nullptr) : nullptr;
        if (list || GetTickCount() - start >= timeoutMs)
            return list;
        Sleep(20);
    }
}

std::vector<std::wstring> ListViewTexts(HWND list)
{
    std::vector<std::wstring> texts;
    RemoteBlock block(list, sizeof(LVITEMW) + NAME_CHARS * sizeof(wchar_t));
    int count = (int)Ask(list, LVM_GETITEMCOUNT, 0, 0);
    for (int i = 0; i < count; ++i) {
        LVITEMW item = {};
        item.iSubItem = 0;
        item.pszText = (LPWSTR)(block.remote + sizeof item);
        item.cchTextMax = NAME_CHARS;
        wchar_t text[NAME_CHARS] = {};
        if (!block.Write(0, &item, sizeof item) || !block.Write(sizeof item, text, sizeof text))
            break;
        Ask(list, LVM_GETITEMTEXTW, i, (LPARAM)block.remote);
        if (!block.Read(sizeof item, text, sizeof text))
            break;
        text[NAME_CHARS - 1] = 0;
        texts.push_back(text);
    }
    return texts;
}

bool ShowSettingsEntry(const std::wstring& name, RECT* screenRect)
{
    HWND list = FindSettingsList(10000);
    if (!list)
        return false;
    std::vector<std::wstring> texts = ListViewTexts(list);
    for (size_t i = 0; i < texts.size(); ++i) {
        if (texts[i] != name)
            continue;
        Ask(list, LVM_ENSUREVISIBLE, i, FALSE);
        RECT rect = {};
        rect.left = LVIR_ICON;
        RemoteBlock block(list, sizeof rect);
        if (!block.Write(0, &rect, sizeof rect) || !Ask(list, LVM_GETITEMRECT, i, (LPARAM)block.remote) ||
            !block.Read(0, &rect, sizeof rect))
            return false;
        MapWindowPoints(list, nullptr, (POINT*)&rect, 2);
        if (screenRect)
            *screenRect = rect;
        return true;
    }
    return false;
}

bool TapSettingsEntry(const std::wstring& name)
{
    RECT icon;
    if (!ShowSettingsEntry(name, &icon))
        return false;
    TapScreen((icon.left + icon.right) / 2, (icon.top + icon.bottom) / 2);
    return true;
}
