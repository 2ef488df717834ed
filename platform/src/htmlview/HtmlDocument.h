// The HTML viewer's page model: the parser turns HTML source into a flat list of
// items (styled text, line breaks, block breaks, list markers) over one text pool.
// Everything has a fixed capacity; what does not fit is left out, never overrun.
// Internal to the platform layer.
#pragma once
#include <windows.h>

enum {
    HTML_MAX_FILE_BYTES = 256 * 1024, // read from a page file, the rest is ignored
    HTML_MAX_SOURCE = 128 * 1024,     // UTF-16 units of source kept per viewer
    HTML_MAX_TEXT = 64 * 1024,        // shown characters per page
    HTML_MAX_ITEMS = 8192,
    HTML_MAX_LINKS = 512,
    HTML_MAX_ANCHORS = 256,
    HTML_MAX_NAMES = 32 * 1024,       // characters of hrefs and anchor names together
    HTML_MAX_HREF = 260,              // one href or anchor name, terminator included
    HTML_MAX_DEPTH = 64,              // open elements; deeper ones are ignored
    HTML_MAX_LIST_DEPTH = 6,          // indentation levels shown
    HTML_MAX_TAG = 1024,              // a '<' without '>' this close is plain text
};

enum HtmlItemKind : unsigned char {
    HTML_ITEM_TEXT,        // text; words are separated by single blanks
    HTML_ITEM_LINE_BREAK,  // <br>
    HTML_ITEM_BLOCK_BREAK, // a new block (paragraph, heading, list item) starts here
    HTML_ITEM_MARKER,      // the bullet or number of a list item, hung left of its text
};

enum HtmlStyle : unsigned char { HTML_BOLD = 1, HTML_ITALIC = 2, HTML_UNDERLINE = 4 };

// Text sizes: body text and the three heading levels.
enum HtmlSize : unsigned char { HTML_SIZE_BODY, HTML_SIZE_H3, HTML_SIZE_H2, HTML_SIZE_H1, HTML_SIZE_COUNT };

struct HtmlItem {
    int textStart; // into HtmlDocument::text (text and markers)
    int textLength;
    HtmlItemKind kind;
    unsigned char style;  // HtmlStyle bits
    unsigned char size;   // HtmlSize
    unsigned char indent; // block breaks: list depth of the block
    unsigned char gap;    // block breaks: space above, in quarters of a body line
    short link;           // index into links, or -1
};

struct HtmlName {
    int start; // into HtmlDocument::names
    int length;
};

struct HtmlAnchor {
    HtmlName name;
    int item; // the anchor marks the place where this item starts
};

struct HtmlDocument {
    WCHAR text[HTML_MAX_TEXT];
    int textLength;
    HtmlItem items[HTML_MAX_ITEMS];
    int itemCount;
    WCHAR names[HTML_MAX_NAMES];
    int namesLength;
    HtmlName links[HTML_MAX_LINKS]; // href of each link
    int linkCount;
    HtmlAnchor anchors[HTML_MAX_ANCHORS];
    int anchorCount;
};

// Parses `length` units of source into `document` (which it clears first). Always
// ends, in time linear in the length; malformed input gives some page, never a fault.
void ParseHtml(const WCHAR* source, int length, HtmlDocument* document);

// Decodes a character reference at `at` ("&amp;", "&#169;", "&#xA9;"), reading at
// most `available` units. Returns the units consumed (0: not a reference) and
// stores one or two UTF-16 units in `out`, their count in `outCount`.
int DecodeHtmlEntity(const WCHAR* at, int available, WCHAR out[2], int* outCount);

// The value of a hexadecimal digit, or -1.
int HexDigitValue(WCHAR c);

// Copies a name of the document into `out` (HTML_MAX_HREF units), terminated.
void CopyHtmlName(const HtmlDocument& document, HtmlName name, WCHAR out[HTML_MAX_HREF]);
