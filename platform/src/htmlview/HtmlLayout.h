// The HTML viewer's fonts and layout: the page model placed in lines of a given
// width, word-wrapped, in the system's default font at the screen's scale.
// Internal to the platform layer.
#pragma once
#include "HtmlDocument.h"

enum {
    HTML_MAX_FRAGMENTS = 16384, // placed pieces of text; a page with more is cut short
    HTML_STYLE_COUNT = 8,       // combinations of HtmlStyle bits
};

// The fonts of one viewer, created when first needed for a text size and style.
struct HtmlFontSet {
    int scale; // the screen's scale the fonts were made for (0: none made yet)
    HFONT fonts[HTML_SIZE_COUNT][HTML_STYLE_COUNT];
    TEXTMETRICW metrics[HTML_SIZE_COUNT][HTML_STYLE_COUNT];
    int spaceWidth[HTML_SIZE_COUNT][HTML_STYLE_COUNT];
};

// 1 on a screen whose shorter side is below 480 pixels, 2 above.
int HtmlScreenScale();
// Forgets fonts made for another scale.
void PrepareHtmlFonts(HtmlFontSet* fonts, int scale);
void ReleaseHtmlFonts(HtmlFontSet* fonts);
// The font of an item's look, made on first use (null only when GDI refuses it); its
// metrics and the width of a blank in it are filled in.
HFONT HtmlFontFor(HtmlFontSet* fonts, HDC dc, const HtmlItem& item, const TEXTMETRICW** metrics, int* spaceWidth);

// A piece of one item's text placed on a line. Pieces of one item on one line are
// joined into one fragment.
struct HtmlFragment {
    int x, top, width; // the text cell, in page coordinates
    int lineTop, lineBottom;
    int textStart, textLength;
    int item;
};

struct HtmlLayout {
    int width;         // the width laid out for
    int contentHeight; // page height, margins included
    int lineStep;      // height of a line of body text: the scrolling step
    int fragmentCount;
    HtmlFragment fragments[HTML_MAX_FRAGMENTS]; // in reading order, lines top to bottom
    int anchorTop[HTML_MAX_ANCHORS];            // page y of each anchor of the document
};

// Lays the document out for `width` pixels; `dc` is any device context to measure with.
void LayOutHtml(const HtmlDocument& document, HtmlFontSet* fonts, HDC dc, int width, HtmlLayout* layout);
