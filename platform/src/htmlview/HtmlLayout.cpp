// Places the page model in lines: words wrap at blanks; a word wider than the line
// is broken between characters; a word made of several looks ("<b>Bold</b>er")
// moves to the next line as a whole. Lists are indented with their markers hung in
// the indent. The work is bounded by the fragment capacity and by measuring at most
// kMaxMeasured characters at a time.
#include "HtmlLayout.h"
#include "ScopedWin.h"
#include <string.h>

namespace {

const int kPaddingUnits = 3;   // page margin, per scale unit
const int kIndentUnits = 16;   // per list level
const int kMarkerGapUnits = 4; // between a list marker and its text
const int kLineGapUnits = 1;   // extra space between lines
const int kMaxMeasured = 1024; // no line holds more characters than this

struct Placer {
    const HtmlDocument* doc;
    HtmlFontSet* fonts;
    HDC dc;
    HtmlLayout* out;
    int scale;
    int padding;
    int width;
    int right;      // text ends here
    int bodyLine;   // height of a line of body text
    int y;          // top of the line being filled
    int x;          // where the next piece goes
    int indentX;    // left edge of the text of the current block
    int lineStart;  // first fragment of the line being filled
    int wordsStart; // first fragment after the line's list marker
    int groupStart; // first fragment of the word being placed
    bool pendingSpace;
    bool full;
};

const TEXTMETRICW* SelectItemFont(Placer& p, int item, int* spaceWidth)
{
    const TEXTMETRICW* metrics = nullptr;
    HFONT font = HtmlFontFor(p.fonts, p.dc, p.doc->items[item], &metrics, spaceWidth);
    if (font)
        SelectObject(p.dc, font); // the caller's scope restores the original font
    return metrics;
}

int Measure(HDC dc, const WCHAR* text, int length)
{
    SIZE size = {};
    GetTextExtentPoint32W(dc, text, length, &size);
    return size.cx;
}

// How many characters of `text` fit in `room` pixels, and their width.
int FitCount(HDC dc, const WCHAR* text, int length, int room, int* width)
{
    INT fit = 0;
    SIZE size = {};
    if (!GetTextExtentExPointW(dc, text, length, room, &fit, nullptr, &size) || fit <= 0)
        return 0;
    if (fit > length)
        fit = length;
    *width = Measure(dc, text, fit);
    return fit;
}

void Append(Placer& p, int item, int start, int length, int x, int width)
{
    HtmlLayout* out = p.out;
    if (out->fragmentCount >= HTML_MAX_FRAGMENTS) {
        p.full = true;
        return;
    }
    HtmlFragment& f = out->fragments[out->fragmentCount++];
    f = {};
    f.x = x;
    f.width = width;
    f.textStart = start;
    f.textLength = length;
    f.item = item;
}

// Two fragments of one item, the second one word (and its blank) on from the first.
bool Joinable(const Placer& p, const HtmlFragment& a, const HtmlFragment& b)
{
    if (a.item != b.item || p.doc->items[a.item].kind != HTML_ITEM_TEXT)
        return false;
    int end = a.textStart + a.textLength;
    return b.textStart == end || (b.textStart == end + 1 && p.doc->text[end] == L' ');
}

// Ends the line with the fragments before `upTo`: gives them their line's height and
// baseline and joins neighbours. Fragments from `upTo` on (a word that did not fit)
// move to the start of the next line.
void FinishLine(Placer& p, int upTo)
{
    HtmlFragment* f = p.out->fragments;
    int count = p.out->fragmentCount;
    int kept = p.lineStart;
    if (upTo > p.lineStart) {
        int ascent = 0, descent = 0, space;
        for (int i = p.lineStart; i < upTo; ++i) {
            const TEXTMETRICW* m = SelectItemFont(p, f[i].item, &space);
            if (m->tmAscent > ascent)
                ascent = m->tmAscent;
            if (m->tmDescent > descent)
                descent = m->tmDescent;
        }
        int height = ascent + descent + kLineGapUnits * p.scale;
        for (int i = p.lineStart; i < upTo; ++i) {
            const TEXTMETRICW* m = SelectItemFont(p, f[i].item, &space);
            f[i].top = p.y + ascent - m->tmAscent;
            f[i].lineTop = p.y;
            f[i].lineBottom = p.y + height;
        }
        p.y += height;
        for (int i = p.lineStart; i < upTo; ++i) {
            if (kept > p.lineStart && Joinable(p, f[kept - 1], f[i])) {
                f[kept - 1].width = f[i].x + f[i].width - f[kept - 1].x;
                f[kept - 1].textLength = f[i].textStart + f[i].textLength - f[kept - 1].textStart;
            } else {
                f[kept++] = f[i];
            }
        }
    }
    int moved = count - upTo;
    if (moved > 0 && kept != upTo)
        memmove(f + kept, f + upTo, (size_t)moved * sizeof(HtmlFragment));
    p.out->fragmentCount = kept + moved;
    p.x = p.indentX;
    if (moved > 0) {
        int shift = p.indentX - f[kept].x;
        for (int i = kept; i < kept + moved; ++i)
            f[i].x += shift;
        p.x = f[kept + moved - 1].x + f[kept + moved - 1].width;
    }
    p.lineStart = p.wordsStart = p.groupStart = kept;
}

// Ends the current line; `forced` (a line break) also ends an empty one.
void EndLine(Placer& p, bool forced)
{
    if (p.out->fragmentCount > p.lineStart)
        FinishLine(p, p.out->fragmentCount);
    else if (forced)
        p.y += p.bodyLine;
    p.pendingSpace = false;
}

void BlockBreak(Placer& p, const HtmlItem& item)
{
    EndLine(p, false);
    if (p.y > p.padding)
        p.y += item.gap * p.bodyLine / 4;
    int level = item.indent < HTML_MAX_LIST_DEPTH ? (int)item.indent : (int)HTML_MAX_LIST_DEPTH;
    p.indentX = p.padding + level * kIndentUnits * p.scale;
    if (p.indentX > p.width / 2)
        p.indentX = p.width / 2 > p.padding ? p.width / 2 : p.padding;
    p.x = p.indentX;
}

// A list marker hangs left of the block's text, on its first line.
void PlaceMarker(Placer& p, int item)
{
    const HtmlItem& marker = p.doc->items[item];
    int space;
    SelectItemFont(p, item, &space);
    int width = Measure(p.dc, p.doc->text + marker.textStart, marker.textLength);
    int x = p.indentX - width - kMarkerGapUnits * p.scale;
    Append(p, item, marker.textStart, marker.textLength, x > p.padding ? x : p.padding, width);
    p.wordsStart = p.groupStart = p.out->fragmentCount;
}

// One word (or the part of a word in one look) of a text item.
void PlacePiece(Placer& p, int item, int start, int length)
{
    int space;
    SelectItemFont(p, item, &space);
    const WCHAR* text = p.doc->text;
    bool lineHasWords = p.out->fragmentCount > p.wordsStart;
    int gap = p.pendingSpace && lineHasWords ? space : 0;
    if (p.pendingSpace || !lineHasWords)
        p.groupStart = p.out->fragmentCount;
    p.pendingSpace = false;

    while (length > 0 && !p.full) {
        lineHasWords = p.out->fragmentCount > p.wordsStart;
        int room = p.right - p.x - gap;
        int measured = length < kMaxMeasured ? length : kMaxMeasured;
        int width = Measure(p.dc, text + start, measured);
        if (length <= kMaxMeasured && width <= room) {
            Append(p, item, start, length, p.x + gap, width);
            p.x += gap + width;
            return;
        }
        if (lineHasWords && p.groupStart > p.wordsStart) {
            FinishLine(p, p.groupStart); // the whole word moves down
            SelectItemFont(p, item, &space);
            gap = 0;
            continue;
        }
        int fitWidth = 0;
        int fit = room > 0 ? FitCount(p.dc, text + start, measured, room, &fitWidth) : 0;
        if (fit <= 0) {
            if (lineHasWords) {
                FinishLine(p, p.out->fragmentCount);
                SelectItemFont(p, item, &space);
                gap = 0;
                continue;
            }
            fit = 1; // wider than the whole line: shown all the same
            fitWidth = Measure(p.dc, text + start, 1);
        }
        Append(p, item, start, fit, p.x + gap, fitWidth);
        FinishLine(p, p.out->fragmentCount);
        SelectItemFont(p, item, &space);
        start += fit;
        length -= fit;
        gap = 0;
    }
}

void PlaceText(Placer& p, int item)
{
    const HtmlItem& text = p.doc->items[item];
    int end = text.textStart + text.textLength;
    for (int i = text.textStart; i < end && !p.full;) {
        if (p.doc->text[i] == L' ') {
            p.pendingSpace = true;
            ++i;
            continue;
        }
        int wordEnd = i;
        while (wordEnd < end && p.doc->text[wordEnd] != L' ')
            ++wordEnd;
        PlacePiece(p, item, i, wordEnd - i);
        i = wordEnd;
    }
}

} // namespace

void LayOutHtml(const HtmlDocument& document, HtmlFontSet* fonts, HDC dc, int width, HtmlLayout* layout)
{
    layout->width = width;
    layout->fragmentCount = 0;
    for (int& top : layout->anchorTop)
        top = 0;

    Placer p = {};
    p.doc = &document;
    p.fonts = fonts;
    p.dc = dc;
    p.out = layout;
    p.scale = fonts->scale > 0 ? fonts->scale : 1;
    p.padding = kPaddingUnits * p.scale;
    p.width = width;
    p.right = width - p.padding;
    p.y = p.padding;
    p.indentX = p.x = p.padding;

    HtmlItem body = {};
    body.link = -1;
    const TEXTMETRICW* bodyMetrics = nullptr;
    int space;
    ScopedSelect original(dc, HtmlFontFor(fonts, dc, body, &bodyMetrics, &space));
    p.bodyLine = bodyMetrics->tmHeight + kLineGapUnits * p.scale;
    layout->lineStep = p.bodyLine;

    int anchor = 0;
    for (int i = 0; i < document.itemCount && !p.full; ++i) {
        const HtmlItem& item = document.items[i];
        if (item.kind == HTML_ITEM_BLOCK_BREAK)
            BlockBreak(p, item);
        // An anchor marks the line where its item begins (a heading: below the space above it).
        for (; anchor < document.anchorCount && document.anchors[anchor].item <= i; ++anchor)
            layout->anchorTop[anchor] = p.y;
        if (item.kind == HTML_ITEM_TEXT)
            PlaceText(p, i);
        else if (item.kind == HTML_ITEM_MARKER)
            PlaceMarker(p, i);
        else if (item.kind == HTML_ITEM_LINE_BREAK)
            EndLine(p, true);
    }
    EndLine(p, false);
    for (; anchor < document.anchorCount; ++anchor)
        layout->anchorTop[anchor] = p.y;
    layout->contentHeight = p.y + p.padding;
}
