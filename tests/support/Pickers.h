// The pickers of the running Pelorin.exe as a test sees them: opened through the
// settings window, the tree read across the process boundary, edits read with
// WM_GETTEXT, the soft keys pressed as the user does.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <string>
#include <vector>
#include "PelorinTest.h"

extern const wchar_t kAppletTitle[];  // "Add Applet"
extern const wchar_t kProgramTitle[]; // "Add Shortcut or Program"

// A tree control of another process, read through memory lent in that process.
class RemoteTree {
public:
    explicit RemoteTree(HWND tree);
    ~RemoteTree();
    RemoteTree(const RemoteTree&) = delete;
    RemoteTree& operator=(const RemoteTree&) = delete;

    HWND Handle() const { return tree_; }
    std::vector<HTREEITEM> Children(HTREEITEM parent) const; // null: the top level
    std::vector<std::wstring> ChildTexts(HTREEITEM parent) const;
    // The child of `parent` with this text, or null.
    HTREEITEM Find(HTREEITEM parent, const std::wstring& text) const;
    // The node at the end of a path of texts from the top level, or null.
    HTREEITEM FindPath(const std::vector<std::wstring>& texts) const;
    std::wstring Text(HTREEITEM item) const;
    int Image(HTREEITEM item) const;
    int ChildrenFlag(HTREEITEM item) const; // the item's cChildren
    HTREEITEM Selected() const;
    bool Expanded(HTREEITEM item) const;

    void Select(HTREEITEM item) const;          // TVM_SELECTITEM, as a tap on the label
    void TapButton(HTREEITEM item) const;       // a tap on the +/- button: expand or collapse
    // Taps the buttons along a path of texts from the top level, expanding what is not
    // expanded yet; the node at its end, or null.
    HTREEITEM ExpandPath(const std::vector<std::wstring>& texts) const;
    POINT LabelCentre(HTREEITEM item) const;    // screen coordinates

private:
    bool Get(HTREEITEM item, UINT mask, TVITEMW* out, std::wstring* text) const;
    HWND tree_;
    HANDLE process_ = nullptr;
    BYTE* remote_ = nullptr;
};

// A double tap of the stylus at a screen position, as real input.
void DoubleTapAt(POINT at);

// The system tests of the pickers: a running Pelorin with its settings window shown.
class PickerTest : public PelorinTest {
protected:
    void SetUp() override;
    // Chooses `action` (9 or 10) for `button` (0 to 4) in the settings window; the
    // picker window that opens, or null.
    HWND OpenPicker(int button, int action);
    HWND Control(HWND picker, int id) const { return GetDlgItem(picker, id); }
    // Presses "OK" or "Cancel" on the picker's soft-key bar.
    bool PressSoftKey(HWND picker, const wchar_t* label);
    // Waits until the picker window is gone and the settings window took its choice.
    bool WaitClosed(HWND picker, DWORD timeoutMs = 10000);
};

std::wstring WindowText(HWND window);
void SetWindowTextRemote(HWND window, const std::wstring& text);
