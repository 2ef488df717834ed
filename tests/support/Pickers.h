// The pickers of the running Pelorin.exe as a test sees them: opened through the
// settings window, the tree read across the process boundary, edits read with
// WM_GETTEXT, the soft keys pressed as the user does.
#pragma once
#include "PelorinTest.h"
#include <commctrl.h>

extern const wchar_t kAppletTitle[];  // "Add Applet"
extern const wchar_t kProgramTitle[]; // "Add Shortcut or Program"

// A tree control of another process, read through memory lent in that process.
class RemoteTree {
public:
    explicit RemoteTree(HWND tree);
    ~RemoteTree();
    HWND Handle() const { return tree_; }
    std::vector<HTREEITEM> Children(HTREEITEM parent) const; // null: the top level
    std::vector<std::wstring> ChildTexts(HTREEITEM parent) const;
    HTREEITEM Find(HTREEITEM parent, const std::wstring& text) const;
    std::wstring Text(HTREEITEM item) const;
    int ChildrenFlag(HTREEITEM item) const; // the item's cChildren
    void Select(HTREEITEM item) const;      // TVM_SELECTITEM, as a tap on the label
    void TapButton(HTREEITEM item) const;   // a tap on the +/- button
    // Follows a path of texts from the top level, tapping the button of each node
    // not expanded yet; the node at its end, or null.
    HTREEITEM ExpandPath(const std::vector<std::wstring>& texts) const;
    POINT LabelCentre(HTREEITEM item) const; // screen coordinates

private:
    bool Call(UINT message, WPARAM wParam, const void* in, void* out, size_t bytes) const;
    HWND tree_;
    HANDLE process_ = nullptr;
    BYTE* remote_ = nullptr;
};

void DoubleTapAt(POINT at);
std::wstring WindowText(HWND window);
void SetWindowTextRemote(HWND window, const std::wstring& text);

// The system tests of the pickers: a running Pelorin with its settings window shown.
class PickerTest : public PelorinTest {
protected:
    void SetUp() override;
    // What a test arranges in the installation before the program starts.
    virtual void Arrange() {}
    // Chooses `action` (9 or 10) for `button` (0 to 4); the picker once its tree is filled.
    HWND OpenPicker(int button, int action);
    HWND Control(HWND picker, int id) const { return GetDlgItem(picker, id); }
    bool PressSoftKey(HWND picker, const wchar_t* label); // "OK" or "Cancel"
    // Waits until the picker is gone and the settings window stored the choice.
    bool WaitClosed(HWND picker, DWORD timeoutMs = 10000);
};
