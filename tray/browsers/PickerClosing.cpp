// How a picker ends: OK and Cancel, a close from elsewhere, a picker hidden by
// another, and a picker left hidden while the system's loader is held.
#include "browsers/PickerClosing.h"
#include "core/DebugLog.h"
#include "core/LoaderWatch.h"

namespace {

// Ends the local loop. The loop may be waiting in GetMessageW, where messages sent
// from other threads are handled without returning: a posted null message wakes it.
void EndLoop(PickerState& picker)
{
    picker.done = true;
    PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0);
}

// A text longer than a button holds would be thrown away once the picker closed.
bool FitsButton(const WCHAR* what, const WCHAR* text)
{
    int length = (int)wcslen(text);
    if (length <= PICKER_TEXT_MAX)
        return true;
    DebugLog(L"Picker: %s of %d characters not accepted, a button holds %d: [%s]", what, length, PICKER_TEXT_MAX,
             text);
    return false;
}

// While the system's loader is held (a library never returned from its start-up
// routine), freeing a control may wait on the loader for good: the common controls
// bind some of the system's functions at their first call. The picker's window is
// then hidden and left, with what its controls use, instead of destroyed; the next
// opening destroys it once the loader answers again.
void LeaveHidden(PickerState& picker)
{
    ShowWindow(picker.window, SW_HIDE);
    if (!picker.done)
        CancelPicker(picker);
}

} // namespace

void OnPickerOk(PickerState& picker)
{
    if (!picker.valid || !FitsButton(L"selection", picker.result))
        return;
    // The edit takes no more than a button holds from the keyboard; another program
    // may set more, up to the buffer, which is refused like a long selection.
    picker.secondParameter[0] = 0;
    if (picker.bottomEdit)
        GetWindowTextW(picker.bottomEdit, picker.secondParameter, ARRAYSIZE(picker.secondParameter));
    picker.secondParameter[ARRAYSIZE(picker.secondParameter) - 1] = 0;
    if (!FitsButton(L"parameter", picker.secondParameter)) {
        picker.secondParameter[0] = 0;
        return;
    }
    picker.accepted = true;
    EndLoop(picker);
    SendMessageW(picker.window, WM_CLOSE, 0, 0);
}

void CancelPicker(PickerState& picker)
{
    picker.result[0] = picker.secondParameter[0] = 0;
    EndLoop(picker);
}

bool PickerMayClose(PickerState& picker, HWND window)
{
    // While the tree waits in a notice for an applet library, what is sent to
    // this thread is answered, a close too; destroyed under its own notice, the
    // tree would go on with freed memory. The window closes once it returns.
    if (picker.noticeDepth > 0) {
        picker.closeDeferred = true;
        return false;
    }
    if (window == picker.window && !LoaderAnswers()) {
        LeaveHidden(picker);
        return false;
    }
    return true;
}

void WatchHiddenPicker(HWND window)
{
    // Hidden by another (Close Task), a picker would keep its loop, and the owner
    // it disabled, for good: one that stays hidden ends as cancelled. Switch Task
    // hides a window and then shows it behind the others, in two steps that this
    // thread may see apart: the picker is looked at again a while later.
    SetTimer(window, PICKER_HIDDEN_TIMER, PICKER_HIDDEN_GRACE_MS, nullptr);
}

void CheckHiddenPicker(PickerState& picker, HWND window)
{
    KillTimer(window, PICKER_HIDDEN_TIMER);
    if (window == picker.window && !IsWindowVisible(window) && !picker.done) {
        DebugLog(L"Picker: hidden by another, closed as cancelled");
        SendMessageW(window, WM_CLOSE, 0, 0);
    }
}

void DestroyOrLeavePicker(PickerState& picker)
{
    if (!picker.window || !IsWindow(picker.window))
        return;
    if (!LoaderAnswers())
        LeaveHidden(picker);
    else
        DestroyWindow(picker.window); // the tree and edits go with it
}
