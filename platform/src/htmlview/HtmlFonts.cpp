// The HTML viewer's fonts: the system's default font (its face and height), scaled
// by the screen's factor, larger and bold for headings, italic and underlined as the
// text asks.
#include "HtmlLayout.h"
#include "ScopedWin.h"
#include <string.h>

namespace {

// Heading heights relative to body text, in percent, by HtmlSize.
const int kSizePercent[HTML_SIZE_COUNT] = {100, 117, 142, 167};
const int kFallbackHeight = 12; // pixels, when the default font says nothing usable

LOGFONTW DefaultFont()
{
    LOGFONTW font = {};
    if (!GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font))
        font = {};
    int height = font.lfHeight < 0 ? -font.lfHeight : font.lfHeight;
    if (height < 8 || height > 32)
        font.lfHeight = -kFallbackHeight;
    if (!font.lfFaceName[0])
        wcsncpy(font.lfFaceName, L"Tahoma", LF_FACESIZE - 1);
    return font;
}

} // namespace

int HtmlScreenScale()
{
    int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    return (w < h ? w : h) >= 480 ? 2 : 1;
}

void ReleaseHtmlFonts(HtmlFontSet* fonts)
{
    for (int size = 0; size < HTML_SIZE_COUNT; ++size)
        for (int style = 0; style < HTML_STYLE_COUNT; ++style)
            if (fonts->fonts[size][style]) {
                DeleteObject(fonts->fonts[size][style]);
                fonts->fonts[size][style] = nullptr;
            }
    fonts->scale = 0;
}

void PrepareHtmlFonts(HtmlFontSet* fonts, int scale)
{
    if (fonts->scale != scale) {
        ReleaseHtmlFonts(fonts);
        fonts->scale = scale;
    }
}

HFONT HtmlFontFor(HtmlFontSet* fonts, HDC dc, const HtmlItem& item, const TEXTMETRICW** metrics, int* spaceWidth)
{
    int size = item.size < HTML_SIZE_COUNT ? (int)item.size : (int)HTML_SIZE_BODY;
    int style = item.style & (HTML_STYLE_COUNT - 1);
    if (item.link >= 0)
        style |= HTML_UNDERLINE;
    HFONT& font = fonts->fonts[size][style];
    if (!font) {
        LOGFONTW look = DefaultFont();
        int scale = fonts->scale > 0 ? fonts->scale : 1;
        look.lfHeight = look.lfHeight * kSizePercent[size] / 100 * scale;
        look.lfWidth = 0;
        look.lfWeight = (style & HTML_BOLD) ? FW_BOLD : FW_NORMAL;
        look.lfItalic = (style & HTML_ITALIC) ? TRUE : FALSE;
        look.lfUnderline = (style & HTML_UNDERLINE) ? TRUE : FALSE;
        // Unsmoothed, as the device draws text; Wine then draws glyphs exactly as wide
        // as GetTextExtentPoint32 measures them.
        look.lfQuality = NONANTIALIASED_QUALITY;
        font = CreateFontIndirectW(&look);
        TEXTMETRICW& m = fonts->metrics[size][style];
        m = {};
        SIZE blank = {};
        ScopedSelect selected(dc, font);
        if (!GetTextMetricsW(dc, &m) || m.tmHeight <= 0) {
            m.tmHeight = kFallbackHeight * scale;
            m.tmAscent = m.tmHeight * 4 / 5;
            m.tmDescent = m.tmHeight - m.tmAscent;
        }
        if (!GetTextExtentPoint32W(dc, L" ", 1, &blank) || blank.cx <= 0)
            blank.cx = m.tmHeight / 4 + 1;
        fonts->spaceWidth[size][style] = blank.cx;
    }
    *metrics = &fonts->metrics[size][style];
    *spaceWidth = fonts->spaceWidth[size][style];
    return font;
}
