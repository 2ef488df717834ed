// HTML source to the viewer's page model. One pass over the source, with a bounded
// stack of open elements: headings, paragraphs, line breaks, lists, bold, italic and
// links are understood; other tags are dropped and their text shown; the content of
// head, title, script and style is not shown. Whitespace collapses to one blank.
#include "HtmlDocument.h"
#include <string.h>

namespace {

enum TagId : unsigned char {
    TAG_UNKNOWN, TAG_A, TAG_B, TAG_STRONG, TAG_I, TAG_EM, TAG_U,
    TAG_H1, TAG_H2, TAG_H3, TAG_H4, TAG_H5, TAG_H6,
    TAG_P, TAG_BR, TAG_UL, TAG_OL, TAG_LI,
    TAG_DIV, TAG_CENTER, TAG_BLOCKQUOTE, TAG_HR, TAG_PRE, TAG_TABLE, TAG_TR, TAG_DL, TAG_DT, TAG_DD,
    TAG_HTML, TAG_HEAD, TAG_BODY, TAG_TITLE, TAG_SCRIPT, TAG_STYLE,
};

struct TagName {
    const char* name;
    TagId id;
};

const TagName kTags[] = {
    {"a", TAG_A},           {"b", TAG_B},         {"strong", TAG_STRONG}, {"i", TAG_I},       {"em", TAG_EM},
    {"u", TAG_U},           {"h1", TAG_H1},       {"h2", TAG_H2},         {"h3", TAG_H3},     {"h4", TAG_H4},
    {"h5", TAG_H5},         {"h6", TAG_H6},       {"p", TAG_P},           {"br", TAG_BR},     {"ul", TAG_UL},
    {"ol", TAG_OL},         {"li", TAG_LI},       {"div", TAG_DIV},       {"center", TAG_CENTER},
    {"blockquote", TAG_BLOCKQUOTE},               {"hr", TAG_HR},         {"pre", TAG_PRE},   {"table", TAG_TABLE},
    {"tr", TAG_TR},         {"dl", TAG_DL},       {"dt", TAG_DT},         {"dd", TAG_DD},     {"html", TAG_HTML},
    {"head", TAG_HEAD},     {"body", TAG_BODY},   {"title", TAG_TITLE},   {"script", TAG_SCRIPT},
    {"style", TAG_STYLE},
};

// Space above a block, in quarters of a body line.
const unsigned char kParagraphGap = 2, kHeadingGap = 3, kNoGap = 0;

struct OpenElement {
    TagId tag;
    short value; // links: link index; ordered lists: the last number given
};

struct Parser {
    const WCHAR* source;
    int length;
    int pos;
    HtmlDocument* doc;

    OpenElement open[HTML_MAX_DEPTH];
    int depth;

    // What the open elements make of the text.
    unsigned char style;
    unsigned char size;
    short link;
    int listDepth;
    bool hidden;

    bool atLineStart;  // nothing shown yet on this line: blanks are dropped
    bool pendingSpace; // a blank is owed before the next shown character
    bool pendingBlock; // a block break is owed before the next shown character
    unsigned char pendingGap;
    WCHAR marker[16];  // a list item's bullet or number, owed with the block break
    int markerLength;
};

bool IsSpace(WCHAR c) { return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r' || c == L'\f'; }
bool IsAsciiLetter(WCHAR c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }
WCHAR AsciiLower(WCHAR c) { return (c >= L'A' && c <= L'Z') ? (WCHAR)(c - L'A' + L'a') : c; }

bool IsHeading(TagId tag) { return tag >= TAG_H1 && tag <= TAG_H6; }
bool IsList(TagId tag) { return tag == TAG_UL || tag == TAG_OL; }
bool IsPlainBlock(TagId tag)
{
    return tag == TAG_DIV || tag == TAG_CENTER || tag == TAG_BLOCKQUOTE || tag == TAG_HR || tag == TAG_PRE ||
           tag == TAG_TABLE || tag == TAG_TR || tag == TAG_DL || tag == TAG_DT || tag == TAG_DD;
}
// Elements whose text is raw up to their end tag, never markup.
bool IsRawText(TagId tag) { return tag == TAG_SCRIPT || tag == TAG_STYLE || tag == TAG_TITLE; }
// Elements kept on the stack because they change how the text inside them looks.
bool IsKeptOpen(TagId tag)
{
    return tag == TAG_A || tag == TAG_B || tag == TAG_STRONG || tag == TAG_I || tag == TAG_EM || tag == TAG_U ||
           IsHeading(tag) || IsList(tag) || tag == TAG_HEAD;
}

// Case-insensitive comparison of source text with a lower-case ASCII word.
bool SourceEquals(const WCHAR* text, int length, const char* word)
{
    int i = 0;
    for (; i < length && word[i]; ++i)
        if (AsciiLower(text[i]) != (WCHAR)(unsigned char)word[i])
            return false;
    return i == length && !word[i];
}

TagId LookUpTag(const WCHAR* name, int length)
{
    for (const TagName& tag : kTags)
        if (SourceEquals(name, length, tag.name))
            return tag.id;
    return TAG_UNKNOWN;
}

// --- Output -------------------------------------------------------------------

HtmlItem* AddItem(Parser& p, HtmlItemKind kind)
{
    HtmlDocument* doc = p.doc;
    if (doc->itemCount >= HTML_MAX_ITEMS)
        return nullptr;
    HtmlItem* item = &doc->items[doc->itemCount++];
    *item = {};
    item->kind = kind;
    item->textStart = doc->textLength;
    item->style = p.style;
    item->size = p.size;
    item->link = p.link;
    item->indent = (unsigned char)(p.listDepth < HTML_MAX_LIST_DEPTH ? p.listDepth : HTML_MAX_LIST_DEPTH);
    return item;
}

// Appends one shown character to the text pool, extending the last text item when
// it looks the same.
void AppendShown(Parser& p, WCHAR c)
{
    HtmlDocument* doc = p.doc;
    if (doc->textLength >= HTML_MAX_TEXT)
        return;
    HtmlItem* last = doc->itemCount ? &doc->items[doc->itemCount - 1] : nullptr;
    bool extend = last && last->kind == HTML_ITEM_TEXT && last->style == p.style && last->size == p.size &&
                  last->link == p.link && last->textStart + last->textLength == doc->textLength;
    if (!extend && !(last = AddItem(p, HTML_ITEM_TEXT)))
        return;
    doc->text[doc->textLength++] = c;
    ++last->textLength;
}

void FlushBlock(Parser& p)
{
    if (!p.pendingBlock)
        return;
    p.pendingBlock = false;
    HtmlItem* block = AddItem(p, HTML_ITEM_BLOCK_BREAK);
    if (!block)
        return;
    block->gap = p.pendingGap;
    if (p.markerLength && block->indent == 0)
        block->indent = 1; // a list item outside any list still gets room for its bullet
    if (p.markerLength && p.doc->textLength + p.markerLength <= HTML_MAX_TEXT) {
        unsigned char indent = block->indent;
        if (HtmlItem* marker = AddItem(p, HTML_ITEM_MARKER)) {
            marker->indent = indent;
            marker->style = 0;
            marker->size = HTML_SIZE_BODY;
            marker->link = -1;
            memcpy(p.doc->text + p.doc->textLength, p.marker, (size_t)p.markerLength * sizeof(WCHAR));
            marker->textLength = p.markerLength;
            p.doc->textLength += p.markerLength;
        }
    }
    p.markerLength = 0;
    p.pendingGap = 0;
}

// A blank owed from before a change of look is given the old look, so that a link's
// underline does not start or end with a blank.
void SettlePendingSpace(Parser& p)
{
    if (p.pendingSpace && !p.atLineStart && !p.hidden) {
        FlushBlock(p);
        AppendShown(p, L' ');
    }
    p.pendingSpace = false;
}

void ShowCharacter(Parser& p, WCHAR c)
{
    if (p.hidden)
        return;
    if (IsSpace(c)) {
        if (!p.atLineStart)
            p.pendingSpace = true;
        return;
    }
    // Control characters and non-characters (binary junk) are not shown.
    if (c < 0x20 || c == 0x7F || c == 0xFFFE || c == 0xFFFF)
        return;
    FlushBlock(p);
    if (p.pendingSpace)
        AppendShown(p, L' ');
    p.pendingSpace = false;
    p.atLineStart = false;
    AppendShown(p, c);
}

void RequestBlock(Parser& p, unsigned char gap)
{
    p.pendingSpace = false;
    p.atLineStart = true;
    if (!p.pendingBlock) {
        p.pendingBlock = true;
        p.pendingGap = gap;
    } else if (gap > p.pendingGap) {
        p.pendingGap = gap;
    }
}

void LineBreak(Parser& p)
{
    if (p.hidden)
        return;
    FlushBlock(p);
    AddItem(p, HTML_ITEM_LINE_BREAK);
    p.pendingSpace = false;
    p.atLineStart = true;
}

// --- Open elements ------------------------------------------------------------

void Restyle(Parser& p)
{
    SettlePendingSpace(p);
    p.style = 0;
    p.size = HTML_SIZE_BODY;
    p.link = -1;
    p.listDepth = 0;
    p.hidden = false;
    for (int i = 0; i < p.depth; ++i) {
        switch (p.open[i].tag) {
        case TAG_B: case TAG_STRONG: p.style |= HTML_BOLD; break;
        case TAG_I: case TAG_EM: p.style |= HTML_ITALIC; break;
        case TAG_U: p.style |= HTML_UNDERLINE; break;
        case TAG_A: p.link = p.open[i].value; break;
        case TAG_H1: p.size = HTML_SIZE_H1; p.style |= HTML_BOLD; break;
        case TAG_H2: p.size = HTML_SIZE_H2; p.style |= HTML_BOLD; break;
        case TAG_H3: p.size = HTML_SIZE_H3; p.style |= HTML_BOLD; break;
        case TAG_H4: case TAG_H5: case TAG_H6: p.style |= HTML_BOLD; break;
        case TAG_UL: case TAG_OL: ++p.listDepth; break;
        case TAG_HEAD: p.hidden = true; break;
        default: break;
        }
    }
}

void Push(Parser& p, TagId tag, short value)
{
    if (p.depth >= HTML_MAX_DEPTH)
        return; // too deep: the element is ignored, its text still shown
    p.open[p.depth].tag = tag;
    p.open[p.depth].value = value;
    ++p.depth;
    Restyle(p);
}

// Closes the innermost open element matching `matches`, and everything opened
// inside it; false when none is open.
bool PopTo(Parser& p, bool (*matches)(TagId, TagId), TagId tag)
{
    for (int i = p.depth - 1; i >= 0; --i) {
        if (matches(p.open[i].tag, tag)) {
            p.depth = i;
            Restyle(p);
            return true;
        }
    }
    return false;
}

bool SameTag(TagId open, TagId tag) { return open == tag; }
bool AnyHeading(TagId open, TagId) { return IsHeading(open); }

// --- Names (hrefs and anchors) ------------------------------------------------

bool StoreName(HtmlDocument* doc, const WCHAR* value, int length, HtmlName* name)
{
    if (length <= 0)
        return false;
    if (length > HTML_MAX_HREF - 1)
        length = HTML_MAX_HREF - 1;
    if (doc->namesLength + length > HTML_MAX_NAMES)
        return false;
    memcpy(doc->names + doc->namesLength, value, (size_t)length * sizeof(WCHAR));
    name->start = doc->namesLength;
    name->length = length;
    doc->namesLength += length;
    return true;
}

void AddAnchor(Parser& p, const WCHAR* value, int length)
{
    HtmlDocument* doc = p.doc;
    if (doc->anchorCount >= HTML_MAX_ANCHORS)
        return;
    HtmlAnchor& anchor = doc->anchors[doc->anchorCount];
    if (StoreName(doc, value, length, &anchor.name)) {
        anchor.item = doc->itemCount;
        ++doc->anchorCount;
    }
}

short AddLink(Parser& p, const WCHAR* href, int length)
{
    HtmlDocument* doc = p.doc;
    if (doc->linkCount >= HTML_MAX_LINKS || !StoreName(doc, href, length, &doc->links[doc->linkCount]))
        return -1;
    return (short)doc->linkCount++;
}

// --- Tags ---------------------------------------------------------------------

struct Attributes {
    WCHAR href[HTML_MAX_HREF];
    int hrefLength; // -1: no href attribute
    WCHAR name[HTML_MAX_HREF];
    int nameLength; // name= or id=; 0 when absent
};

// Reads an attribute value with its character references decoded, cut to the buffer.
int ReadAttributeValue(const WCHAR* text, int length, WCHAR out[HTML_MAX_HREF])
{
    int written = 0;
    for (int i = 0; i < length;) {
        WCHAR decoded[2];
        int count = 0;
        int used = text[i] == L'&' ? DecodeHtmlEntity(text + i, length - i, decoded, &count) : 0;
        if (used == 0) {
            decoded[0] = text[i];
            count = 1;
            used = 1;
        }
        for (int k = 0; k < count && written < HTML_MAX_HREF - 1; ++k)
            out[written++] = decoded[k];
        i += used;
    }
    out[written] = 0;
    return written;
}

// The attributes of one tag, `text` being what follows the tag name up to '>'.
void ReadAttributes(const WCHAR* text, int length, Attributes* attributes)
{
    attributes->hrefLength = -1;
    attributes->nameLength = 0;
    int i = 0;
    while (i < length) {
        while (i < length && (IsSpace(text[i]) || text[i] == L'/'))
            ++i;
        int nameStart = i;
        while (i < length && !IsSpace(text[i]) && text[i] != L'=' && text[i] != L'/')
            ++i;
        int nameLength = i - nameStart;
        if (nameLength == 0) {
            ++i; // a stray '=' or the like
            continue;
        }
        while (i < length && IsSpace(text[i]))
            ++i;
        const WCHAR* value = text + i;
        int valueLength = 0;
        if (i < length && text[i] == L'=') {
            ++i;
            while (i < length && IsSpace(text[i]))
                ++i;
            if (i < length && (text[i] == L'"' || text[i] == L'\'')) {
                WCHAR quote = text[i++];
                value = text + i;
                while (i < length && text[i] != quote)
                    ++i;
                valueLength = (int)(text + i - value);
                if (i < length)
                    ++i;
            } else {
                value = text + i;
                while (i < length && !IsSpace(text[i]))
                    ++i;
                valueLength = (int)(text + i - value);
            }
        }
        const WCHAR* name = text + nameStart;
        if (SourceEquals(name, nameLength, "href"))
            attributes->hrefLength = ReadAttributeValue(value, valueLength, attributes->href);
        else if (SourceEquals(name, nameLength, "name") || SourceEquals(name, nameLength, "id"))
            attributes->nameLength = ReadAttributeValue(value, valueLength, attributes->name);
    }
}

// The marker of a new list item: the innermost list decides bullet or number.
void PrepareMarker(Parser& p)
{
    p.markerLength = 0;
    for (int i = p.depth - 1; i >= 0; --i) {
        if (p.open[i].tag == TAG_OL) {
            if (p.open[i].value < 9999)
                ++p.open[i].value;
            int n = p.open[i].value;
            WCHAR digits[8];
            int count = 0;
            do {
                digits[count++] = (WCHAR)(L'0' + n % 10);
                n /= 10;
            } while (n && count < 7);
            while (count)
                p.marker[p.markerLength++] = digits[--count];
            p.marker[p.markerLength++] = L'.';
            return;
        }
        if (p.open[i].tag == TAG_UL)
            break;
    }
    p.marker[p.markerLength++] = 0x2022; // bullet
}

// Skips raw text up to and including "</name ...>", or to the end of the source.
void SkipRawText(Parser& p, const char* name)
{
    int nameLength = (int)strlen(name);
    for (int i = p.pos; i + 2 + nameLength <= p.length; ++i) {
        if (p.source[i] == L'<' && p.source[i + 1] == L'/' && SourceEquals(p.source + i + 2, nameLength, name)) {
            int end = i + 2 + nameLength;
            while (end < p.length && p.source[end] != L'>')
                ++end;
            p.pos = end < p.length ? end + 1 : p.length;
            return;
        }
    }
    p.pos = p.length;
}

void OpenTag(Parser& p, TagId tag, const Attributes& attributes)
{
    if (attributes.nameLength > 0 && !p.hidden)
        AddAnchor(p, attributes.name, attributes.nameLength);

    if (IsHeading(tag)) {
        RequestBlock(p, kHeadingGap);
        Push(p, tag, 0);
    } else if (IsList(tag)) {
        RequestBlock(p, p.listDepth == 0 ? kParagraphGap : kNoGap);
        Push(p, tag, 0);
    } else if (tag == TAG_A) {
        short link = attributes.hrefLength > 0 ? AddLink(p, attributes.href, attributes.hrefLength) : -1;
        Push(p, tag, link);
    } else if (IsKeptOpen(tag)) {
        Push(p, tag, 0);
    } else if (tag == TAG_P) {
        RequestBlock(p, kParagraphGap);
    } else if (tag == TAG_LI) {
        RequestBlock(p, kNoGap);
        PrepareMarker(p);
    } else if (tag == TAG_BR) {
        LineBreak(p);
    } else if (IsPlainBlock(tag)) {
        RequestBlock(p, kNoGap);
    } else if (tag == TAG_BODY) {
        PopTo(p, SameTag, TAG_HEAD); // a page that forgot </head>
    } else if (IsRawText(tag)) {
        SkipRawText(p, tag == TAG_SCRIPT ? "script" : tag == TAG_STYLE ? "style" : "title");
    }
}

void CloseTag(Parser& p, TagId tag)
{
    if (IsHeading(tag)) {
        if (PopTo(p, AnyHeading, tag))
            RequestBlock(p, kNoGap);
    } else if (IsList(tag)) {
        if (PopTo(p, SameTag, tag))
            RequestBlock(p, p.listDepth == 0 ? kParagraphGap : kNoGap);
    } else if (IsKeptOpen(tag)) {
        PopTo(p, SameTag, tag);
    } else if (tag == TAG_P) {
        RequestBlock(p, kParagraphGap);
    } else if (tag == TAG_LI || IsPlainBlock(tag)) {
        RequestBlock(p, kNoGap);
    }
}

// Where the tag starting at `start` ('<') ends ('>'), quotes respected; -1 when
// there is no end within HTML_MAX_TAG.
int FindTagEnd(const Parser& p, int start)
{
    int limit = start + HTML_MAX_TAG < p.length ? start + HTML_MAX_TAG : p.length;
    WCHAR quote = 0;
    for (int i = start + 1; i < limit; ++i) {
        WCHAR c = p.source[i];
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == L'"' || c == L'\'') {
            quote = c;
        } else if (c == L'>') {
            return i;
        }
    }
    return -1;
}

// Comments, <!DOCTYPE ...> and <? ... ?>: nothing is shown.
bool SkipDeclaration(Parser& p)
{
    const WCHAR* at = p.source + p.pos;
    int left = p.length - p.pos;
    if (left >= 4 && at[1] == L'!' && at[2] == L'-' && at[3] == L'-') {
        for (int i = p.pos + 4; i + 2 < p.length; ++i) {
            if (p.source[i] == L'-' && p.source[i + 1] == L'-' && p.source[i + 2] == L'>') {
                p.pos = i + 3;
                return true;
            }
        }
        p.pos = p.length; // an unclosed comment hides the rest, as in browsers
        return true;
    }
    int end = FindTagEnd(p, p.pos);
    if (end < 0)
        return false;
    p.pos = end + 1;
    return true;
}

// At a '<': handles the tag and returns true, or returns false when the '<' is text.
bool HandleTag(Parser& p)
{
    const WCHAR* at = p.source + p.pos;
    int left = p.length - p.pos;
    if (left < 2)
        return false;
    if (at[1] == L'!' || at[1] == L'?')
        return SkipDeclaration(p);
    bool closing = at[1] == L'/';
    int nameStart = closing ? 2 : 1;
    if (nameStart >= left || !IsAsciiLetter(at[nameStart]))
        return false;
    int end = FindTagEnd(p, p.pos);
    if (end < 0)
        return false;
    int nameEnd = p.pos + nameStart;
    while (nameEnd < end && (IsAsciiLetter(p.source[nameEnd]) || (p.source[nameEnd] >= L'0' && p.source[nameEnd] <= L'9')))
        ++nameEnd;
    TagId tag = LookUpTag(p.source + p.pos + nameStart, nameEnd - (p.pos + nameStart));
    p.pos = end + 1;
    if (closing) {
        CloseTag(p, tag);
    } else if (tag != TAG_UNKNOWN) {
        Attributes attributes;
        ReadAttributes(p.source + nameEnd, end - nameEnd, &attributes);
        OpenTag(p, tag, attributes);
    }
    return true;
}

} // namespace

void ParseHtml(const WCHAR* source, int length, HtmlDocument* document)
{
    document->textLength = 0;
    document->itemCount = 0;
    document->namesLength = 0;
    document->linkCount = 0;
    document->anchorCount = 0;
    if (!source || length <= 0)
        return;

    Parser p = {};
    p.source = source;
    p.length = length;
    p.doc = document;
    p.link = -1;
    p.atLineStart = true;
    while (p.pos < p.length) {
        if (document->textLength >= HTML_MAX_TEXT || document->itemCount >= HTML_MAX_ITEMS)
            break; // the page is as full as it gets
        WCHAR c = p.source[p.pos];
        if (c == L'<' && HandleTag(p))
            continue;
        if (c == L'&') {
            WCHAR decoded[2];
            int count = 0;
            int used = DecodeHtmlEntity(p.source + p.pos, p.length - p.pos, decoded, &count);
            if (used > 0) {
                for (int k = 0; k < count; ++k)
                    ShowCharacter(p, decoded[k]);
                p.pos += used;
                continue;
            }
        }
        ShowCharacter(p, c);
        ++p.pos;
    }
}

void CopyHtmlName(const HtmlDocument& document, HtmlName name, WCHAR out[HTML_MAX_HREF])
{
    int length = name.length;
    if (length < 0 || name.start < 0 || name.start + length > document.namesLength)
        length = 0;
    if (length > HTML_MAX_HREF - 1)
        length = HTML_MAX_HREF - 1;
    if (length)
        memcpy(out, document.names + name.start, (size_t)length * sizeof(WCHAR));
    out[length] = 0;
}
