// The HTML viewer control, window class "DISPLAYCLASS": holds the page source, lays
// it out on demand for the window's width, paints it double-buffered, scrolls it
// (scroll bar, stylus drag, wheel, keys) and reports tapped links to the parent with
// NM_HOTSPOT. Each viewer owns one fixed-size record, allocated at creation.
#include "htmlctrl.h"
#include "ce_htmlview.h"
#include "ScopedWin.h"
#include "HtmlDocument.h"
#include "HtmlLayout.h"
#include "HtmlSource.h"
#include <windowsx.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

namespace {

const WCHAR kUnreadablePage[] = L"<p>The page cannot be shown.</p>";
const COLORREF kTextColour = RGB(0, 0, 0);
const COLORREF kLinkColour = RGB(0, 0, 255);
const COLORREF kPressedLinkColour = RGB(128, 0, 128);
const int kDragThresholdUnits = 4; // stylus travel before a press becomes a drag
const int kWheelLines = 3;

struct HtmlView {
    HWND window;
    WCHAR source[HTML_MAX_SOURCE];
    int sourceLength;
    bool sourceChanged; // the page model is older than the source
    bool layoutStale;   // the layout is older than the page model or the screen
    int laidOutWidth;   // client width plus scroll bar of the present layout
    int laidOutHeight;
    HtmlDocument document;
    HtmlFontSet fonts;
    HtmlLayout layout;
    int scrollY;
    bool pressing, dragging;
    int pressX, pressY, pressScroll;
    int pressedLink;
};

HtmlView* ViewOf(HWND window) { return (HtmlView*)GetWindowLongPtrW(window, 0); }

// --- Source -------------------------------------------------------------------

void ClearSource(HtmlView* v)
{
    v->sourceLength = 0;
    v->source[0] = 0;
    v->sourceChanged = true;
    v->scrollY = 0;
}

void AppendSource(HtmlView* v, const WCHAR* text, int length)
{
    int room = HTML_MAX_SOURCE - 1 - v->sourceLength;
    if (length > room)
        length = room;
    if (length <= 0)
        return;
    memcpy(v->source + v->sourceLength, text, (size_t)length * sizeof(WCHAR));
    v->sourceLength += length;
    v->source[v->sourceLength] = 0;
    v->sourceChanged = true;
}

// Plain text is shown as it is: markup characters are escaped, line ends kept.
void AppendPlainText(HtmlView* v, const WCHAR* text, int length)
{
    for (int i = 0; i < length && v->sourceLength < HTML_MAX_SOURCE - 1; ++i) {
        if (text[i] == L'<')
            AppendSource(v, L"&lt;", 4);
        else if (text[i] == L'&')
            AppendSource(v, L"&amp;", 5);
        else if (text[i] == L'\n')
            AppendSource(v, L"<br>", 4);
        else
            AppendSource(v, text + i, 1);
    }
}

void AddText(HtmlView* v, BOOL plain, const WCHAR* text)
{
    if (!text)
        return;
    int length = (int)wcsnlen(text, HTML_MAX_SOURCE);
    if (plain)
        AppendPlainText(v, text, length);
    else
        AppendSource(v, text, length);
}

void Navigate(HtmlView* v, const WCHAR* address)
{
    ClearSource(v);
    WCHAR path[MAX_PATH];
    int length = HtmlFilePathFromAddress(address, path) ? ReadHtmlFile(path, v->source, HTML_MAX_SOURCE) : -1;
    if (length < 0) {
        ClearSource(v);
        AppendSource(v, kUnreadablePage, (int)wcslen(kUnreadablePage));
    } else {
        v->sourceLength = length;
    }
    v->sourceChanged = true;
}

// --- Layout and scrolling -----------------------------------------------------

int ViewHeight(HWND window)
{
    RECT client = {};
    GetClientRect(window, &client);
    return client.bottom;
}

bool HasScrollBar(HWND window) { return (GetWindowLongW(window, GWL_STYLE) & WS_VSCROLL) != 0; }

// The width the page may use: the client area with the scroll bar given back.
int FullWidth(HWND window)
{
    RECT client = {};
    GetClientRect(window, &client);
    return client.right + (HasScrollBar(window) ? GetSystemMetrics(SM_CXVSCROLL) : 0);
}

int LargestScroll(const HtmlView* v)
{
    int largest = v->layout.contentHeight - ViewHeight(v->window);
    return largest > 0 ? largest : 0;
}

void PlaceScrollBar(HtmlView* v, bool needed)
{
    if (v->scrollY > LargestScroll(v))
        v->scrollY = LargestScroll(v);
    if (v->scrollY < 0 || !needed)
        v->scrollY = 0;
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    if (needed) {
        info.nMax = v->layout.contentHeight - 1;
        info.nPage = (UINT)ViewHeight(v->window);
        info.nPos = v->scrollY;
    }
    SetScrollInfo(v->window, SB_VERT, &info, TRUE);
    if (needed != HasScrollBar(v->window))
        ShowScrollBar(v->window, SB_VERT, needed);
}

// Parses and lays out whatever changed since the last time. The scroll bar appears
// when the page is taller than the view, and the page is then laid out beside it.
void EnsureLayout(HtmlView* v)
{
    if (v->sourceChanged) {
        ParseHtml(v->source, v->sourceLength, &v->document);
        v->sourceChanged = false;
        v->layoutStale = true;
    }
    int width = FullWidth(v->window);
    int height = ViewHeight(v->window);
    int scale = HtmlScreenScale();
    if (!v->layoutStale && v->laidOutWidth == width && v->laidOutHeight == height && v->fonts.scale == scale)
        return;
    if (width <= 0 || height <= 0) {
        // Not placed yet (the program creates the viewer 0 x 0 and moves it later).
        v->layout.fragmentCount = 0;
        v->layout.contentHeight = 0;
        v->layoutStale = true;
        return;
    }
    PrepareHtmlFonts(&v->fonts, scale);
    ScopedMemoryDC measure(nullptr);
    LayOutHtml(v->document, &v->fonts, measure.Get(), width, &v->layout);
    bool needBar = height > 0 && v->layout.contentHeight > height;
    if (needBar)
        LayOutHtml(v->document, &v->fonts, measure.Get(), width - GetSystemMetrics(SM_CXVSCROLL), &v->layout);
    v->laidOutWidth = width;
    v->laidOutHeight = height;
    v->layoutStale = false;
    PlaceScrollBar(v, needBar);
}

void ScrollTo(HtmlView* v, int y)
{
    EnsureLayout(v);
    if (y > LargestScroll(v))
        y = LargestScroll(v);
    if (y < 0)
        y = 0;
    if (y == v->scrollY)
        return;
    v->scrollY = y;
    SetScrollPos(v->window, SB_VERT, y, TRUE);
    InvalidateRect(v->window, nullptr, FALSE);
}

int PageStep(HtmlView* v)
{
    int step = ViewHeight(v->window) - v->layout.lineStep;
    return step > v->layout.lineStep ? step : v->layout.lineStep;
}

void OnScrollBar(HtmlView* v, int code)
{
    EnsureLayout(v);
    switch (code) {
    case SB_LINEUP: ScrollTo(v, v->scrollY - v->layout.lineStep); break;
    case SB_LINEDOWN: ScrollTo(v, v->scrollY + v->layout.lineStep); break;
    case SB_PAGEUP: ScrollTo(v, v->scrollY - PageStep(v)); break;
    case SB_PAGEDOWN: ScrollTo(v, v->scrollY + PageStep(v)); break;
    case SB_TOP: ScrollTo(v, 0); break;
    case SB_BOTTOM: ScrollTo(v, LargestScroll(v)); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        SCROLLINFO info = {};
        info.cbSize = sizeof info;
        info.fMask = SIF_TRACKPOS;
        if (GetScrollInfo(v->window, SB_VERT, &info))
            ScrollTo(v, info.nTrackPos);
        break;
    }
    default: break;
    }
}

bool OnKey(HtmlView* v, WPARAM key)
{
    switch (key) {
    case VK_UP: OnScrollBar(v, SB_LINEUP); return true;
    case VK_DOWN: OnScrollBar(v, SB_LINEDOWN); return true;
    case VK_PRIOR: OnScrollBar(v, SB_PAGEUP); return true;
    case VK_NEXT: case VK_SPACE: OnScrollBar(v, SB_PAGEDOWN); return true;
    case VK_HOME: OnScrollBar(v, SB_TOP); return true;
    case VK_END: OnScrollBar(v, SB_BOTTOM); return true;
    default: return false;
    }
}

bool JumpToAnchor(HtmlView* v, const WCHAR* name)
{
    if (!name)
        return false;
    EnsureLayout(v);
    WCHAR candidate[HTML_MAX_HREF];
    for (int i = 0; i < v->document.anchorCount; ++i) {
        CopyHtmlName(v->document, v->document.anchors[i].name, candidate);
        if (wcsncmp(candidate, name, HTML_MAX_HREF) == 0) {
            ScrollTo(v, v->layout.anchorTop[i]);
            return true;
        }
    }
    return false;
}

// --- Painting -----------------------------------------------------------------

// First fragment whose line reaches below page y `top`.
int FirstFragmentBelow(const HtmlLayout& layout, int top)
{
    int low = 0, high = layout.fragmentCount;
    while (low < high) {
        int middle = (low + high) / 2;
        if (layout.fragments[middle].lineBottom <= top)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

// Draws text with each character where the layout measured it, so that a fragment
// never runs into the next one on its line (Wine draws smoothed text wider than
// GetTextExtentPoint32 reports, for example).
void DrawMeasuredText(HDC dc, int x, int y, const WCHAR* text, int length)
{
    const int kChunk = 256;
    INT extents[kChunk];
    INT advances[kChunk];
    while (length > 0) {
        int count = length < kChunk ? length : kChunk;
        SIZE size = {};
        if (!GetTextExtentExPointW(dc, text, count, 0, nullptr, extents, &size)) {
            ExtTextOutW(dc, x, y, 0, nullptr, text, (UINT)count, nullptr);
            x += size.cx;
        } else {
            for (int i = 0; i < count; ++i)
                advances[i] = extents[i] - (i ? extents[i - 1] : 0);
            ExtTextOutW(dc, x, y, 0, nullptr, text, (UINT)count, advances);
            x += extents[count - 1];
        }
        text += count;
        length -= count;
    }
}

void DrawPage(HtmlView* v, HDC dc, int height)
{
    const HtmlLayout& layout = v->layout;
    const HtmlDocument& doc = v->document;
    int top = v->scrollY;
    SetBkMode(dc, TRANSPARENT);
    ScopedSelect original(dc, GetStockObject(DEFAULT_GUI_FONT));
    for (int i = FirstFragmentBelow(layout, top); i < layout.fragmentCount; ++i) {
        const HtmlFragment& f = layout.fragments[i];
        if (f.lineTop >= top + height)
            break;
        const HtmlItem& item = doc.items[f.item];
        const TEXTMETRICW* metrics;
        int space;
        if (HFONT font = HtmlFontFor(&v->fonts, dc, item, &metrics, &space))
            SelectObject(dc, font);
        COLORREF colour = kTextColour;
        if (item.link >= 0)
            colour = v->pressing && !v->dragging && item.link == v->pressedLink ? kPressedLinkColour : kLinkColour;
        SetTextColor(dc, colour);
        DrawMeasuredText(dc, f.x, f.top - top, doc.text + f.textStart, f.textLength);
    }
}

// The whole view is drawn off-screen and copied in one blit: no flicker.
void Paint(HtmlView* v, HDC target)
{
    RECT client = {};
    GetClientRect(v->window, &client);
    if (client.right <= 0 || client.bottom <= 0)
        return;
    ScopedMemoryDC canvas(target);
    ScopedBitmap bitmap(CreateCompatibleBitmap(target, client.right, client.bottom));
    if (!canvas.Get() || !bitmap.Get()) {
        FillRect(target, &client, (HBRUSH)GetStockObject(WHITE_BRUSH));
        return;
    }
    ScopedSelect drawing(canvas.Get(), bitmap.Get());
    FillRect(canvas.Get(), &client, (HBRUSH)GetStockObject(WHITE_BRUSH));
    DrawPage(v, canvas.Get(), client.bottom);
    BitBlt(target, 0, 0, client.right, client.bottom, canvas.Get(), 0, 0, SRCCOPY);
}

// --- Links --------------------------------------------------------------------

int LinkAt(HtmlView* v, int x, int y)
{
    EnsureLayout(v);
    const HtmlLayout& layout = v->layout;
    int pageY = y + v->scrollY;
    for (int i = FirstFragmentBelow(layout, pageY); i < layout.fragmentCount; ++i) {
        const HtmlFragment& f = layout.fragments[i];
        if (f.lineTop > pageY)
            break;
        int link = v->document.items[f.item].link;
        if (link >= 0 && x >= f.x && x < f.x + f.width)
            return link;
    }
    return -1;
}

// Tells the parent; a parent that leaves it to the viewer ("#name" links) gets the
// jump to that anchor.
void NotifyHotspot(HtmlView* v, int link)
{
    if (link < 0 || link >= v->document.linkCount)
        return;
    HWND window = v->window;
    WCHAR target[HTML_MAX_HREF];
    CopyHtmlName(v->document, v->document.links[link], target);
    NM_HTMLVIEW note = {};
    note.hdr.hwndFrom = window;
    note.hdr.idFrom = (UINT_PTR)GetDlgCtrlID(window);
    note.hdr.code = NM_HOTSPOT;
    note.szTarget = target;
    note.szData = L"";
    note.szExInfo = L"";
    HWND parent = GetParent(window);
    LRESULT handled = parent ? SendMessageW(parent, WM_NOTIFY, note.hdr.idFrom, (LPARAM)&note) : 0;
    if (!IsWindow(window) || ViewOf(window) != v)
        return; // the parent closed the viewer meanwhile
    if (!handled && target[0] == L'#')
        JumpToAnchor(v, target + 1);
}

void OnPress(HtmlView* v, int x, int y)
{
    SetFocus(v->window);
    SetCapture(v->window);
    v->pressing = true;
    v->dragging = false;
    v->pressX = x;
    v->pressY = y;
    v->pressScroll = v->scrollY;
    v->pressedLink = LinkAt(v, x, y);
    if (v->pressedLink >= 0)
        InvalidateRect(v->window, nullptr, FALSE);
}

void OnDrag(HtmlView* v, int x, int y)
{
    int threshold = kDragThresholdUnits * HtmlScreenScale();
    if (!v->dragging && (abs(y - v->pressY) > threshold || abs(x - v->pressX) > threshold)) {
        v->dragging = true; // a drag scrolls and taps nothing
        InvalidateRect(v->window, nullptr, FALSE);
    }
    if (v->dragging)
        ScrollTo(v, v->pressScroll - (y - v->pressY));
}

void OnRelease(HtmlView* v, int x, int y)
{
    int tapped = !v->dragging && v->pressedLink >= 0 && LinkAt(v, x, y) == v->pressedLink ? v->pressedLink : -1;
    v->pressing = v->dragging = false;
    v->pressedLink = -1;
    ReleaseCapture();
    InvalidateRect(v->window, nullptr, FALSE);
    if (tapped >= 0)
        NotifyHotspot(v, tapped);
}

// --- Queries for tests --------------------------------------------------------

int ShownText(HtmlView* v, WCHAR* out, int capacity)
{
    if (!out || capacity <= 0)
        return 0;
    EnsureLayout(v);
    int written = 0;
    const HtmlLayout& layout = v->layout;
    for (int i = 0; i < layout.fragmentCount; ++i) {
        const HtmlFragment& f = layout.fragments[i];
        if (i > 0 && written < capacity - 1)
            out[written++] = f.lineTop != layout.fragments[i - 1].lineTop ? L'\n' : L' ';
        for (int k = 0; k < f.textLength && written < capacity - 1; ++k)
            out[written++] = v->document.text[f.textStart + k];
    }
    if (layout.fragmentCount > 0 && written < capacity - 1)
        out[written++] = L'\n';
    out[written] = 0;
    return written;
}

// --- Window procedure ---------------------------------------------------------

bool Create(HWND window)
{
    HtmlView* v = (HtmlView*)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(HtmlView));
    if (!v)
        return false;
    v->window = window;
    v->sourceChanged = true;
    v->pressedLink = -1;
    SetWindowLongPtrW(window, 0, (LONG_PTR)v);
    return true;
}

void Destroy(HWND window, HtmlView* v)
{
    SetWindowLongPtrW(window, 0, 0);
    ReleaseHtmlFonts(&v->fonts);
    HeapFree(GetProcessHeap(), 0, v);
}

LRESULT CALLBACK HtmlViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE && !Create(window))
        return FALSE;
    HtmlView* v = ViewOf(window);
    if (!v)
        return DefWindowProcW(window, message, wParam, lParam);

    switch (message) {
    case WM_NCDESTROY:
        Destroy(window, v);
        break;
    case WM_ERASEBKGND:
        return 1; // painting covers everything
    case WM_PAINT: {
        EnsureLayout(v);
        ScopedPaint paint(window);
        if (paint.Get())
            Paint(v, paint.Get());
        return 0;
    }
    case WM_SIZE:
        InvalidateRect(window, nullptr, FALSE); // laid out again, at the new width, when next needed
        return 0;
    case WM_SETTINGCHANGE:
    case WM_DISPLAYCHANGE:
        v->layoutStale = true;
        InvalidateRect(window, nullptr, FALSE);
        break;
    case WM_VSCROLL:
        OnScrollBar(v, LOWORD(wParam));
        return 0;
    case WM_MOUSEWHEEL:
        EnsureLayout(v);
        ScrollTo(v, v->scrollY - GET_WHEEL_DELTA_WPARAM(wParam) * kWheelLines * v->layout.lineStep / WHEEL_DELTA);
        return 0;
    case WM_KEYDOWN:
        if (OnKey(v, wParam))
            return 0;
        break;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
    case WM_LBUTTONDOWN:
        OnPress(v, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_MOUSEMOVE:
        if (v->pressing && (wParam & MK_LBUTTON))
            OnDrag(v, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_LBUTTONUP:
        if (v->pressing)
            OnRelease(v, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_CAPTURECHANGED:
        if ((HWND)lParam != window && v->pressing) {
            v->pressing = v->dragging = false;
            v->pressedLink = -1;
            InvalidateRect(window, nullptr, FALSE);
        }
        return 0;
    case DTM_CLEAR:
        ClearSource(v);
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    case DTM_ADDTEXTW:
        AddText(v, (BOOL)wParam, (const WCHAR*)lParam);
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    case DTM_ENDOFSOURCE:
        EnsureLayout(v);
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    case DTM_NAVIGATE:
        Navigate(v, (const WCHAR*)lParam);
        EnsureLayout(v);
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    case DTM_ANCHORW:
        return JumpToAnchor(v, (const WCHAR*)lParam);
    case CE_HTMLVIEW_CONTENTHEIGHT:
        EnsureLayout(v);
        return v->layout.contentHeight;
    case CE_HTMLVIEW_GETTEXT:
        return ShownText(v, (WCHAR*)lParam, (int)wParam);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

extern "C" BOOL InitHTMLControl(HINSTANCE instance)
{
    if (!instance)
        instance = GetModuleHandleW(nullptr);
    WNDCLASSW existing;
    if (GetClassInfoW(instance, WC_HTML, &existing))
        return TRUE;
    WNDCLASSW wc = {};
    wc.style = CS_GLOBALCLASS;
    wc.lpfnWndProc = HtmlViewProc;
    wc.cbWndExtra = sizeof(HtmlView*);
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, (LPCWSTR)IDC_ARROW);
    wc.lpszClassName = WC_HTML;
    return RegisterClassW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}
