// Page painting and the pictures and icons the pages use. A page is drawn
// off-screen and copied to the window in one blit.
#include "gui/GUI.h"
#include <aygshell.h>
#include "ScopedWin.h"
#include "core/AppState.h"
#include "core/InstallPath.h"
#include "core/ScreenMetrics.h"

namespace {

const WCHAR kFace[] = L"tahoma";
const COLORREF kBlack = RGB(0, 0, 0), kGrey = RGB(0x7F, 0x7F, 0x7F), kBlue = RGB(0, 0, 0xFF),
               kRed = RGB(0xFF, 0, 0), kTransparent = RGB(0xFF, 0, 0xFF);
const UINT kSingleLine = DT_SINGLELINE | DT_VCENTER, kSingleLineRight = kSingleLine | DT_RIGHT,
           kCentredWrapped = DT_CENTER | DT_WORDBREAK, kWrapped = DT_WORDBREAK;
// Texts from the registry are shown as written: an "&" in them is no mnemonic.
const UINT kSingleLineAsWritten = kSingleLine | DT_NOPREFIX;
enum { HEADING = 700, BODY = 100 };

const WCHAR kKeyboardText[] = L"The Vantorix driver supports USB keyboards. The keys in the Standard US layout are "
                              L"currently handled. Additional keys, such as multimedia keys are not supported in "
                              L"this version.";

// A label: `text` in a box given in layout units; a right or bottom edge of
// TO_EDGE reaches the client area's edge.
enum { TO_EDGE = -1 };
struct Label {
    const WCHAR* text;
    int left, top, right, bottom;
    int height, weight;
    COLORREF colour;
    UINT format;
};

class PagePainter {
public:
    PagePainter(HDC dc, int width, int height) : dc_(dc), width_(width), height_(height) {}

    void Draw(const Label& label) const
    {
        RECT box = {DRAX(label.left), DRAY(label.top), label.right == TO_EDGE ? width_ : DRAX(label.right),
                    label.bottom == TO_EDGE ? height_ : DRAY(label.bottom)};
        DrawLabel(kFace, DRAY(label.height), label.weight, label.colour, dc_, label.text, &box, label.format);
    }
    void Draw(const Label* labels, size_t count) const
    {
        for (size_t i = 0; i < count; ++i)
            Draw(labels[i]);
    }

    // A picture stretched from its source rectangle; nothing for a missing picture.
    void Stretch(HBITMAP picture, int x, int y, int w, int h, int sourceW, int sourceH) const
    {
        if (!picture)
            return;
        ScopedMemoryDC source(dc_);
        ScopedSelect selected(source, picture);
        StretchBlt(dc_, x, y, w, h, source, 0, 0, sourceW, sourceH, SRCCOPY);
    }
    // A picture with its magenta left out; nothing for a missing picture.
    void Transparent(HBITMAP picture, int x, int y, int w, int h, int sourceX) const
    {
        if (!picture)
            return;
        ScopedMemoryDC source(dc_);
        ScopedSelect selected(source, picture);
        TransparentImage(dc_, x, y, w, h, source, sourceX, 0, w, h, kTransparent);
    }

private:
    HDC dc_;
    int width_, height_;
};

// Strip pictures hold a scale factor in their names.
HBITMAP LoadPicture(const WCHAR* pattern)
{
    WCHAR name[TEXT_CHARS];
    FormatText(name, ARRAYSIZE(name), pattern, DRAX(1));
    const WCHAR* path = GetInstallFilePath(L"images", name);
    return path[0] ? SHLoadImageFile(path) : nullptr;
}

// The name of an action code; a code that only a damaged value can hold has none.
const WCHAR* ActionName(int action) { return action >= 0 && action < ACTION_COUNT ? kActionNames[action] : L"?"; }

void PaintMousePage(const PagePainter& page, const GUI& gui)
{
    page.Draw({L"Customize Mouse actions", 5, 20, TO_EDGE, 40, 14, HEADING, kBlack, kSingleLine});
    int selected = gui.selectedButton >= 0 && gui.selectedButton < BUTTON_COUNT ? gui.selectedButton : 0;
    page.Stretch(gui.bitmaps[BITMAP_FRAME], DRAX(48) * selected, DRAY(40), DRAX(48), DRAY(65), 96, 130);
    page.Stretch(gui.bitmaps[BITMAP_CONNECTOR], DRAX(48) * ButtonColumn(selected), DRAY(105), DRAX(144), DRAY(30),
                 288, 60);
    page.Transparent(gui.bitmaps[BITMAP_BUTTONS], 0, DRAY(45), DRAX(240), DRAY(36), 0);
    for (int i = 0; i < BUTTON_COUNT; ++i)
        page.Draw({ActionName(gui.Buttons[i].Action), 48 * i, 81, 48 * (i + 1), 105, 12, BODY, kBlack,
                   kCentredWrapped});
    page.Draw({L"Cursor", 5, 140, TO_EDGE, 160, 14, HEADING, kBlack, kSingleLine});
    page.Draw({L"Speed", 120, 140, TO_EDGE, 160, 14, HEADING, kBlack, kSingleLine});
    // A shape outside the strip previews the first, as the drawn cursor shows it.
    int shape = gui.Cursor >= 0 && gui.Cursor <= 9 ? gui.Cursor : 0;
    page.Transparent(gui.bitmaps[BITMAP_CURSORS], DRAX(73), DRAY(140), DRAX(10), DRAY(20), shape * DRAX(10));
}

void PaintStatusPage(const PagePainter& page)
{
    bool mouse = g_mouseConnected.IsSet(), keyboard = g_keyboardConnected.IsSet();
    const Label labels[] = {
        {L"Application Settings", 5, 20, TO_EDGE, 40, 14, HEADING, kBlack, kSingleLine},
        {L"Status", 5, 80, TO_EDGE, 100, 14, HEADING, kBlack, kSingleLine},
        {L"Mouse :", 5, 100, 75, 120, 14, HEADING, kBlack, kSingleLineRight},
        {L"Keyboard :", 5, 120, 75, 140, 14, HEADING, kBlack, kSingleLineRight},
        {mouse ? L"ON" : L"OFF", 80, 100, TO_EDGE, 120, 14, BODY, mouse ? kBlue : kRed, kSingleLine},
        {keyboard ? L"ON" : L"OFF", 80, 120, TO_EDGE, 140, 14, BODY, keyboard ? kBlue : kRed, kSingleLine},
    };
    page.Draw(labels, ARRAYSIZE(labels));
}

void PaintAboutPage(const PagePainter& page)
{
    const Label labels[] = {
        {L"About Vantorix", 5, 0, TO_EDGE, 20, 14, HEADING, kBlack, kSingleLine},
        {g_description, 5, 20, TO_EDGE, 40, 14, BODY, kBlack, kSingleLineAsWritten},
        {L"GUI Version :", 5, 40, 110, 60, 14, HEADING, kBlack, kSingleLineRight},
        {L"Driver Version :", 5, 60, 110, 80, 14, HEADING, kBlack, kSingleLineRight},
        {g_versionGUI, 115, 40, TO_EDGE, 60, 14, BODY, kBlack, kSingleLineAsWritten},
        {g_versionDriver, 115, 60, TO_EDGE, 80, 14, BODY, kBlack, kSingleLineAsWritten},
        {L"WEB :", 5, 100, 50, 120, 14, HEADING, kBlack, kSingleLineRight},
        {L"Help :", 5, 140, 50, 160, 14, HEADING, kBlack, kSingleLineRight},
        {g_aboutWebName, 55, 100, TO_EDGE, 120, 14, BODY, kBlue, kSingleLineAsWritten},
        {L"Morvane Support", 55, 140, TO_EDGE, 160, 14, BODY, kBlue, kSingleLine},
    };
    page.Draw(labels, ARRAYSIZE(labels));
}

} // namespace

int DrawLabel(const WCHAR* face, int height, int weight, COLORREF colour, HDC dc, const WCHAR* text, RECT* rect,
              UINT format)
{
    LOGFONTW description = {};
    description.lfHeight = height;
    description.lfWeight = weight;
    CopyText(description.lfFaceName, ARRAYSIZE(description.lfFaceName), face);
    ScopedFont font(CreateFontIndirectW(&description));
    ScopedSelect selected(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colour);
    return DrawTextW(dc, text, -1, rect, format);
}

int GUI::LoadImages()
{
    programIcon = (HICON)LoadImageW(instance, MAKEINTRESOURCEW(IDI_PROGRAM), IMAGE_ICON, DRAX(16), DRAY(16), 0);
    tabImages.Reset(ImageList_Create(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), ILC_MASK, 1, 1));
    for (int tab = 0; tab < PAGE_COUNT; ++tab) {
        icons[tab] = (HICON)LoadImageW(instance, MAKEINTRESOURCEW(IDI_TAB_MOUSE + tab), IMAGE_ICON, DRAX(16), DRAY(16),
                                       0);
        if (tabImages && icons[tab])
            ImageList_ReplaceIcon(tabImages, -1, icons[tab]);
    }
    static const WCHAR* const kPictures[PAGE_BITMAPS] = {L"t0s1_f12.jpg", L"t0s2_f12.jpg", L"t0ms_f%d.jpg",
                                                         L"cursors_f%d.jpg"};
    for (int i = 0; i < PAGE_BITMAPS; ++i)
        bitmaps[i].Reset(LoadPicture(kPictures[i]));
    return 1;
}

void GUI::Paint(HDC dc, HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    int w = client.right, h = client.bottom;
    ScopedMemoryDC memory(dc);
    ScopedBitmap canvas(CreateCompatibleBitmap(dc, w, h));
    if (!memory || !canvas)
        return;
    ScopedSelect selected(memory, canvas);
    BitBlt(memory, 0, 0, w, h, nullptr, 0, 0, WHITENESS);
    if (currentPage.Get() != PAGE_HELP) {
        MoveToEx(memory, 0, DRAY(20), nullptr);
        LineTo(memory, w, DRAY(20));
    }

    PagePainter page(memory, w, h);
    switch (currentPage.Get()) {
    case PAGE_MOUSE: PaintMousePage(page, *this); break;
    case PAGE_KEYBOARD:
        page.Draw({L"Customize Keyboard", 5, 20, TO_EDGE, 40, 14, HEADING, kBlack, kSingleLine});
        page.Draw({kKeyboardText, 5, 40, TO_EDGE, TO_EDGE, 14, BODY, kGrey, kWrapped});
        break;
    case PAGE_STATUS: PaintStatusPage(page); break;
    case PAGE_ABOUT: PaintAboutPage(page); break;
    default: break; // the Help page is the viewer's
    }
    BitBlt(dc, 0, 0, w, h, memory, 0, 0, SRCCOPY);
}
