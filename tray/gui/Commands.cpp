// What the soft keys, page controls and taps of the settings window do. Every change
// of a setting is saved at once.
#include "browsers/AppletBrowser.h"
#include "browsers/ProgramBrowser.h"
#include "core/AppState.h"
#include "core/DebugLog.h"
#include "core/InstallPath.h"
#include "core/Launch.h"
#include "core/PublishedButtons.h"
#include "core/ScreenMetrics.h"
#include "gui/GUI.h"
#include "protocol/ProgramMessages.h"

namespace {

const WCHAR kSupportAddress[] = L"http://www.morvane.com/index.php?section=support";

int IsChecked(HWND control) { return SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0; }

// The listener lets go of what a switched-off input holds.
void TellListenerInputSwitched()
{
    if (g_listenerThreadId)
        PostThreadMessageW(g_listenerThreadId, TM_INPUTSWITCHED, 0, 0);
}

// The two pickers share their call; these are what differs.
struct Picker {
    void (*show)(HINSTANCE, HWND, const WCHAR*, const WCHAR*, WCHAR*, WCHAR*, const WCHAR*);
    const WCHAR* strip; // picture name, with the scale factor
    const WCHAR* title;
    const WCHAR* filter;
    const WCHAR* logLine;
};
const Picker kProgramPicker = {ShowProgramBrowser, L"tvf_f%d.jpg", L"Add Shortcut or Program", L"exe.|knl.",
                               L"GUI: Program selected: Item:%d [%s][%s]"};
const Picker kAppletPicker = {ShowAppletBrowser, L"tva_f%d.jpg", L"Add Applet", L"lpc.",
                              L"GUI: Applet selected: Item:%d [%s][%s]"};

} // namespace

bool PtInBox(int x, int y, const RECT& box) { return x >= box.left && x <= box.right && y >= box.top && y <= box.bottom; }

// Opens a picker for `button`; what it picks becomes that button's action and
// texts. The program picker leaves the settings window usable, so the user may
// select another button meanwhile: the pick still belongs to the button whose list
// opened the picker. A pick longer than the button's texts can hold is refused, not
// cut: a cut path would start another file. Once the program is ending (the window
// was destroyed while the picker was open), nothing is stored, saved or logged.
// Returns 1 when the caller should save, 0 when termination has begun.
static int PickTarget(GUI& gui, int button, const Picker& picker, int action)
{
    WCHAR result[TEXT_CHARS] = {}, second[TEXT_CHARS] = {}, name[TEXT_CHARS], strip[TEXT_CHARS];
    FormatText(name, ARRAYSIZE(name), picker.strip, DRAX(1));
    CopyText(strip, ARRAYSIZE(strip), GetInstallFilePath(L"Images", name));
    picker.show(gui.instance, gui.mainWindow, picker.title, picker.filter, result, second, strip);
    if (g_terminate.IsSet())
        return 0;
    result[ARRAYSIZE(result) - 1] = second[ARRAYSIZE(second) - 1] = 0; // whatever the picker did
    if (!result[0])
        return 1;
    ButtonEntry entry = gui.Buttons[button];
    if (wcslen(result) >= ARRAYSIZE(entry.Param1) || wcslen(second) >= ARRAYSIZE(entry.Param2)) {
        DebugLog(L"GUI: selection refused, longer than %d characters: [%s]", (int)ARRAYSIZE(entry.Param1) - 1,
                 result);
        return 1;
    }
    DebugLog(picker.logLine, button, result, second);
    CopyText(entry.Param1, ARRAYSIZE(entry.Param1), result);
    CopyText(entry.Param2, ARRAYSIZE(entry.Param2), second);
    entry.Action = action;
    SetButtonEntry(gui, button, entry);
    return 1;
}

static void OnActionChosen(GUI& gui, HWND list)
{
    int chosen = (int)SendMessageW(list, CB_GETCURSEL, 0, 0);
    int button = gui.selectedButton;
    if (button < 0 || button >= BUTTON_COUNT || chosen < 0 || chosen >= ACTION_COUNT)
        return;
    if (chosen == ACTION_OPEN_PROGRAM || chosen == ACTION_OPEN_APPLET) {
        if (!PickTarget(gui, button, chosen == ACTION_OPEN_PROGRAM ? kProgramPicker : kAppletPicker, chosen))
            return;
    } else {
        ButtonEntry entry = gui.Buttons[button];
        entry.Action = chosen;
        SetButtonEntry(gui, button, entry);
    }
    // After a picker closed without a pick, the list shows what is stored again.
    if (gui.selectedButton >= 0 && gui.selectedButton < BUTTON_COUNT)
        SendMessageW(list, CB_SETCURSEL, gui.Buttons[gui.selectedButton].Action, 0);
    SaveSettings(gui);
}

void GUI::OnCommand(HWND window, WPARAM wParam, LPARAM lParam)
{
    HWND control = (HWND)lParam;
    WORD notification = HIWORD(wParam);
    switch (LOWORD(wParam)) {
    case IDM_HIDE:
        DebugLog(L"GUI, user pressed HIDE ");
        ShowWindow(window, SW_HIDE);
        break;
    case IDM_STATUS:
        DebugLog(L"GUI, user pressed STATUS");
        currentPage.Set(PAGE_STATUS);
        SendMessageW(tabControl, TCM_SETCURSEL, PAGE_STATUS, 0);
        InitWindowComponents();
        break;
    case IDC_ENABLE_MOUSE:
        Enable_Mouse = IsChecked(control);
        DebugLog(L"GUI:P0 ManageFilter(1,%d,%d)", Enable_KB, Enable_Mouse);
        TellListenerInputSwitched();
        SaveSettings(*this);
        break;
    case IDC_ACTION_LIST:
        if (notification == CBN_SELCHANGE)
            OnActionChosen(*this, control);
        break;
    case IDC_CURSOR_PREVIOUS:
    case IDC_CURSOR_NEXT: {
        int step = LOWORD(wParam) == IDC_CURSOR_NEXT ? 1 : -1;
        // A damaged value outside the shapes counts from the nearest end.
        const int last = CURSOR_SHAPE_COUNT - 1;
        int next = (Cursor < 0 ? 0 : Cursor > last ? last : Cursor) + step;
        if (next < 0 || next > last) {
            MessageBeep(0);
            break;
        }
        Cursor = next;
        InvalidateRect(window, nullptr, FALSE);
        SaveSettings(*this);
        break;
    }
    case IDC_SPEED_LIST:
        if (notification == CBN_SELCHANGE) {
            int speed = (int)SendMessageW(control, CB_GETCURSEL, 0, 0);
            if (speed >= 0 && speed < SPEED_COUNT)
                Speed = speed;
            SaveSettings(*this);
        }
        break;
    case IDC_ENABLE_KB:
        Enable_KB = IsChecked(control);
        DebugLog(L"GUI:P1 ManageFilter( 1,%d,%d)", Enable_KB, Enable_Mouse);
        TellListenerInputSwitched();
        SaveSettings(*this);
        break;
    case IDC_KB_SOUNDS:
        KBSounds = IsChecked(control);
        SaveSettings(*this);
        break;
    case IDC_AUTOSTART:
        Enable_Autostart = IsChecked(control);
        SaveSettings(*this);
        break;
    case IDC_SHOW_TRAY:
        Enable_Tray = IsChecked(control);
        if (Enable_Tray)
            TrayIconAdd(window, TRAY_ICON_ID, programIcon);
        else
            TrayIconDelete(window, TRAY_ICON_ID, nullptr);
        SaveSettings(*this);
        break;
    case IDC_EXIT:
        DestroyWindow(window);
        break;
    case IDC_BLUETOOTH:
        OpenBluetoothSettings();
        break;
    }
}

void GUI::OnTapUp(HWND, WPARAM, LPARAM lParam)
{
    int x = LOWORD(lParam), y = HIWORD(lParam);
    if (currentPage.Get() == PAGE_MOUSE) {
        if (x > 0 && x < DRAX(240) && y > DRAY(45) && y < DRAY(105)) {
            selectedButton = x / DRAX(48);
            ResizeControls();
        }
    } else if (currentPage.Get() == PAGE_ABOUT) {
        RECT web = {DRAX(55), DRAY(100), DRAX(240), DRAY(120)};
        RECT support = {DRAX(55), DRAY(140), DRAX(240), DRAY(160)};
        if (PtInBox(x, y, web))
            LaunchProgram(L"iexplore.exe", g_aboutWebLink);
        else if (PtInBox(x, y, support))
            LaunchProgram(L"iexplore.exe", kSupportAddress);
    }
}
