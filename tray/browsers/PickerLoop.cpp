// A picker's run: its opening, the local message loop, and what its closing hands
// back and restores.
#include "browsers/PickerFrame.h"
#include <aygshell.h>
#include "browsers/PickerClosing.h"
#include "browsers/PickerWindow.h"
#include "core/DebugLog.h"
#include "core/LoaderWatch.h"
#include "core/WaitCursor.h"

namespace {

PickerState* s_openPicker; // a picker is never open twice: a nested opening is refused

void RunLocalLoop(PickerState& picker)
{
    MSG msg;
    while (!picker.done) {
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            // The program is ending: its own loop must see the quit message too.
            PostQuitMessage((int)msg.wParam);
            break;
        }
        if (got == -1)
            break;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    DestroyOrLeavePicker(picker);
}

// The keys go where the user sees: the owner comes back in front only when it is
// shown (its Hide key may have been pressed meanwhile); otherwise the window that
// was in front before the picker, if it is still shown, else whichever the system
// activates.
void BringBackFront(const PickerState& picker)
{
    if (picker.owner && IsWindowVisible(picker.owner)) {
        SetForegroundWindow(picker.owner);
        SetFocus(picker.owner);
    } else if (picker.previousFront && picker.previousFront != picker.owner && IsWindowVisible(picker.previousFront)) {
        SetForegroundWindow(picker.previousFront);
    }
}

// Everything but what the picker keeps from one opening to the next starts as at
// the program's start: no window, no images, no font, no results.
void StartAfresh(PickerState& picker)
{
    PickerKept kept = picker.kept;
    picker = PickerState();
    picker.kept = kept;
}

} // namespace

bool PickerEnding(const PickerState& picker) { return picker.done || picker.closeDeferred || g_terminate.IsSet(); }

void RunPicker(PickerState& picker, const PickerKind& kind, HINSTANCE instance, HWND owner, const WCHAR* title,
               const WCHAR* filter, WCHAR* resultPath, WCHAR* secondParameter, const WCHAR* stripPath)
{
    resultPath[0] = secondParameter[0] = 0;
    if (s_openPicker) {
        DebugLog(L"Picker: [%s] not opened, another picker is open", title);
        return;
    }
    // A picker's window and soft keys are found through the loader.
    if (!LoaderAnswers()) {
        DebugLog(L"Picker: [%s] not opened, a library holds the system's loader", title);
        return;
    }
    // A window left hidden when the loader was held goes now that it answers, before
    // the images and font its controls use.
    if (picker.leftWindow)
        DestroyWindow(picker.leftWindow);
    StartAfresh(picker);
    picker.kind = &kind;
    picker.instance = instance;
    picker.owner = owner;
    picker.previousFront = GetForegroundWindow();
    picker.waitCursor = WaitCursor();
    HCURSOR kept = kind.waitCursorWhileBuilding ? ShowPickerWaitCursor(picker) : nullptr;
    CopyText(picker.filter, ARRAYSIZE(picker.filter), filter);
    picker.strip.Reset(SHLoadImageFile(stripPath));
    if (kind.disableOwner && owner)
        EnableWindow(owner, FALSE);

    s_openPicker = &picker;
    bool ready = CreatePickerWindow(picker, title) && CreatePickerControls(picker);
    if (kind.waitCursorWhileBuilding) {
        SetCursor(kept);
        ShowCursor(FALSE);
    }
    if (ready) {
        RunLocalLoop(picker);
    } else {
        // Without a window or a tree there is nothing to wait for.
        DebugLog(L"Picker: [%s] could not be created (error %u)", title, (unsigned)GetLastError());
        if (picker.window)
            DestroyWindow(picker.window);
        picker.result[0] = picker.secondParameter[0] = 0;
    }
    s_openPicker = nullptr;

    // A tree notice that was under way when the picker was cancelled may have set a
    // choice since: only OK hands one back.
    if (picker.accepted && picker.secondParameter[0])
        CopyText(secondParameter, TEXT_CHARS, picker.secondParameter);
    if (picker.accepted && picker.result[0])
        CopyText(resultPath, TEXT_CHARS, picker.result);
    if (owner && kind.disableOwner)
        EnableWindow(owner, TRUE);
    BringBackFront(picker);
    // A window left hidden keeps what its controls use until the next opening.
    if (picker.window) {
        picker.leftWindow = picker.window;
        picker.window = picker.tree = picker.topEdit = picker.bottomEdit = picker.menuBar = nullptr;
        picker.strip.Reset();
    } else {
        StartAfresh(picker);
    }
}
