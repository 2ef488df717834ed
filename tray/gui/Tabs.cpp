// The tab strip and the page controls: every page change destroys the controls of
// the old page and builds those of the new one from the settings as they are now.
#include "core/DebugLog.h"
#include "core/ScreenMetrics.h"
#include "gui/GUI.h"
#include "gui/HelpViewer.h"

namespace {

const WCHAR* const kTabTexts[PAGE_COUNT] = {L"Mouse", L"Keyboard", L"Status", L"Help", L"About"};

const DWORD kCheckBox = WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX;
const DWORD kDropDownList = WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST;
const DWORD kPushButton = WS_CHILD | WS_VISIBLE;

// One page control. Positions are in layout units: x and w scale with the horizontal
// factor, y and h with the vertical one, except that the square cursor buttons take
// their width from the vertical factor too. The action list is placed by
// ResizeControls, under the selected button.
enum ControlKind { CHECK_BOX, PUSH_BUTTON, ACTION_LIST, SPEED_LIST };
struct PageControl {
    int id;
    int page;
    ControlKind kind;
    const WCHAR* className;
    const WCHAR* text;
    DWORD style;
    int x, y, w, h;
    bool squareWidth;
};

const PageControl kPageControls[] = {
    {IDC_ENABLE_MOUSE, PAGE_MOUSE, CHECK_BOX, L"button", L"Enable USB mouse support", kCheckBox, 5, 0, 240, 20, false},
    {IDC_ACTION_LIST, PAGE_MOUSE, ACTION_LIST, L"combobox", L"", kDropDownList, 0, 0, 0, 0, false},
    {IDC_CURSOR_PREVIOUS, PAGE_MOUSE, PUSH_BUTTON, L"button", L"<", kPushButton, 48, 140, 20, 20, true},
    {IDC_CURSOR_NEXT, PAGE_MOUSE, PUSH_BUTTON, L"button", L">", kPushButton, 88, 140, 20, 20, true},
    {IDC_SPEED_LIST, PAGE_MOUSE, SPEED_LIST, L"combobox", L"", kDropDownList, 160, 140, 75, 100, false},
    {IDC_ENABLE_KB, PAGE_KEYBOARD, CHECK_BOX, L"button", L"Enable USB keyboard support", kCheckBox, 5, 0, 240, 20, false},
    {IDC_KB_SOUNDS, PAGE_KEYBOARD, CHECK_BOX, L"button", L"Enable keyboard sounds", kCheckBox, 5, 120, 240, 20, false},
    {IDC_STATUS_DISPLAY, PAGE_STATUS, CHECK_BOX, L"button", L"Enable status display", kCheckBox | WS_DISABLED, 5, 0, 240, 20,
     false},
    {IDC_AUTOSTART, PAGE_STATUS, CHECK_BOX, L"button", L"Start Vantorix with Windows", kCheckBox, 5, 40, 240, 20, false},
    {IDC_SHOW_TRAY, PAGE_STATUS, CHECK_BOX, L"button", L"Show Tray Icon", kCheckBox, 5, 60, 240, 20, false},
};

// The setting a check box shows; null for the status display, which is always checked.
int* CheckedSetting(GUI& gui, int id)
{
    switch (id) {
    case IDC_ENABLE_MOUSE: return &gui.Enable_Mouse;
    case IDC_ENABLE_KB: return &gui.Enable_KB;
    case IDC_KB_SOUNDS: return &gui.KBSounds;
    case IDC_AUTOSTART: return &gui.Enable_Autostart;
    case IDC_SHOW_TRAY: return &gui.Enable_Tray;
    default: return nullptr;
    }
}

HWND& Slot(GUI& gui, int id) { return gui.controls[id - IDC_FIRST_PAGE_CONTROL]; }

} // namespace

int ButtonColumn(int button) { return button > 2 ? button - 2 : button; }

void FillActionCombo(HWND combo)
{
    for (const WCHAR* name : kActionNames)
        SendMessageW(combo, CB_ADDSTRING, 0, (LPARAM)name);
}

void FillSpeedCombo(HWND combo)
{
    for (const WCHAR* name : kSpeedNames)
        SendMessageW(combo, CB_ADDSTRING, 0, (LPARAM)name);
}

int GUI::InitTabs()
{
    currentPage.Set(PAGE_MOUSE);
    tabControl = CreateWindowExW(0, WC_TABCONTROLW, L"",
                                 WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TCS_BOTTOM | TCS_FLATBUTTONS |
                                     TCS_RAGGEDRIGHT,
                                 0, 0, 0, 0, mainWindow, nullptr, instance, nullptr);
    if (!tabControl)
        return 0;
    SendMessageW(tabControl, WM_SETFONT, (WPARAM)GetStockObject(DEFAULT_GUI_FONT), FALSE);
    SendMessageW(tabControl, TCM_SETIMAGELIST, 0, (LPARAM)tabImages.Get());
    // Narrow margins, as the device's tab strip has: all five tabs fit a 240-pixel width.
    SendMessageW(tabControl, TCM_SETPADDING, 0, MAKELPARAM(DRAX(2), DRAY(3)));
    for (int page = 0; page < PAGE_COUNT; ++page) {
        TCITEMW item = {};
        item.mask = TCIF_TEXT | TCIF_IMAGE;
        item.pszText = (LPWSTR)kTabTexts[page];
        item.iImage = page;
        SendMessageW(tabControl, TCM_INSERTITEMW, page, (LPARAM)&item);
    }
    return 1;
}

void GUI::OnNotify(LPARAM lParam)
{
    const NMHDR* header = (const NMHDR*)lParam;
    if (header && header->code == (UINT)TCN_SELCHANGE) {
        int page = (int)SendMessageW(header->hwndFrom, TCM_GETCURSEL, 0, 0);
        if (page >= 0 && page < PAGE_COUNT)
            currentPage.Set(page);
        InitWindowComponents();
    }
}

int GUI::InitWindowComponents()
{
    for (HWND& control : controls)
        if (control) {
            DestroyWindow(control);
            control = nullptr;
        }
    DebugLog(L"GUI::InitWindowComponents page: %d", (int)currentPage.Get());

    HFONT font = (HFONT)GetStockObject(DEFAULT_GUI_FONT);
    for (const PageControl& c : kPageControls) {
        if (c.page != currentPage.Get())
            continue;
        HWND control = CreateWindowExW(0, c.className, c.text, c.style, DRAX(c.x), DRAY(c.y),
                                       c.squareWidth ? DRAY(c.w) : DRAX(c.w), DRAY(c.h), mainWindow,
                                       (HMENU)(UINT_PTR)c.id, instance, nullptr);
        Slot(*this, c.id) = control;
        if (!control)
            continue; // a control that cannot be made is left out
        SendMessageW(control, WM_SETFONT, (WPARAM)font, FALSE);
        if (c.kind == CHECK_BOX) {
            const int* setting = CheckedSetting(*this, c.id);
            SendMessageW(control, BM_SETCHECK, !setting || *setting ? BST_CHECKED : BST_UNCHECKED, 0);
        } else if (c.kind == ACTION_LIST) {
            FillActionCombo(control);
        } else if (c.kind == SPEED_LIST) {
            FillSpeedCombo(control);
            SendMessageW(control, CB_SETCURSEL, Speed, 0);
        }
    }
    if (currentPage.Get() == PAGE_HELP)
        controls[SLOT_HELP_VIEWER] = CreateHelpViewer(mainWindow, instance);

    ResizeControls();
    return 1;
}

void GUI::ResizeControls()
{
    int W = g_screen.width, H = g_screen.height, MH = g_screen.MH;
    if (tabControl)
        SetWindowPos(tabControl, nullptr, 0, H - 2 * MH - DRAY(22), W, DRAY(22), SWP_NOZORDER | SWP_NOREDRAW);

    if (currentPage.Get() == PAGE_MOUSE && selectedButton >= 0 && selectedButton < BUTTON_COUNT) {
        if (HWND actions = Slot(*this, IDC_ACTION_LIST)) {
            int k = ButtonColumn(selectedButton);
            SetWindowPos(actions, nullptr, DRAX(5) + DRAX(48) * k, DRAY(110), DRAX(134), DRAY(150), SWP_NOZORDER);
            // A code outside the list (a damaged value) selects nothing.
            SendMessageW(actions, CB_SETCURSEL, Buttons[selectedButton].Action, 0);
        }
    }
    if (currentPage.Get() == PAGE_HELP && controls[SLOT_HELP_VIEWER])
        SetWindowPos(controls[SLOT_HELP_VIEWER], nullptr, DRAX(5), DRAX(5), W - DRAX(10),
                     H - 2 * (DRAX(5) + DRAY(10) + MH), SWP_NOZORDER);
    if (mainWindow)
        InvalidateRect(mainWindow, nullptr, FALSE);
}
