// The HTML viewer control ("DISPLAYCLASS") in-process on the emulated screen: how a
// page is laid out and shown, the help page, hostile input, a missing file, and the
// NM_HOTSPOT notification of a tapped link.
#include <gtest/gtest.h>
#include <windows.h>
#include <oleauto.h>
#include <algorithm>
#include <fstream>
#include <string>
#include <vector>
#include "DeviceKit.h"
#include "ce_htmlview.h"
#include "htmlctrl.h"

namespace {

const int kViewerId = 7;

// What the parent heard from the viewer.
struct Hotspot { HWND from; UINT_PTR id; std::wstring target; };
std::vector<Hotspot> g_hotspots;

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NOTIFY) {
        const NM_HTMLVIEW* note = (const NM_HTMLVIEW*)lParam;
        if (note->hdr.code == NM_HOTSPOT)
            g_hotspots.push_back({note->hdr.hwndFrom, note->hdr.idFrom, note->szTarget ? note->szTarget : L"(null)"});
        return 0; // as the settings window does: the viewer may handle it itself
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

class HtmlViewer : public ::testing::Test {
protected:
    void SetUp() override
    {
        HINSTANCE instance = GetModuleHandleW(nullptr);
        WNDCLASSW wc = {0, ParentProc, 0, 0, instance, nullptr, nullptr, nullptr, nullptr, L"HtmlViewerTestParent"};
        RegisterClassW(&wc);
        ASSERT_TRUE(InitHTMLControl(instance));
        parent_ = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 240, 320, nullptr, nullptr, instance, nullptr);
        ASSERT_NE(parent_, nullptr);
        g_hotspots.clear();
    }
    void TearDown() override { DestroyWindow(parent_); }

    // A viewer as the settings window makes it: created empty, then placed.
    HWND Viewer(int width, int height)
    {
        HWND viewer = CreateWindowExW(0, WC_HTML, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent_,
                                      (HMENU)(UINT_PTR)kViewerId, GetModuleHandleW(nullptr), nullptr);
        EXPECT_NE(viewer, nullptr);
        MoveWindow(viewer, 5, 5, width, height, FALSE);
        return viewer;
    }

    HWND parent_ = nullptr;
};

void Show(HWND viewer, const std::wstring& html)
{
    SendMessageW(viewer, DTM_CLEAR, 0, 0);
    SendMessageW(viewer, DTM_ADDTEXTW, FALSE, (LPARAM)html.c_str());
    SendMessageW(viewer, DTM_ENDOFSOURCE, 0, 0);
}

// The program passes the address as an automation string and frees it afterwards.
void Navigate(HWND viewer, const std::wstring& address)
{
    SendMessageW(viewer, DTM_CLEAR, 0, 0);
    BSTR text = SysAllocString(address.c_str());
    SendMessageW(viewer, DTM_NAVIGATE, 0, (LPARAM)text);
    SysFreeString(text);
}

int ContentHeight(HWND viewer) { return (int)SendMessageW(viewer, CE_HTMLVIEW_CONTENTHEIGHT, 0, 0); }

std::wstring ShownText(HWND viewer)
{
    std::vector<wchar_t> text(70000);
    SendMessageW(viewer, CE_HTMLVIEW_GETTEXT, text.size(), (LPARAM)text.data());
    return text.data();
}

std::wstring TempFile(const wchar_t* name, const std::string& bytes)
{
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    std::ofstream((std::wstring(folder) + name).c_str(), std::ios::binary) << bytes;
    return std::wstring(folder) + name;
}

std::wstring Repeat(const std::wstring& piece, int times)
{
    std::wstring text;
    for (int i = 0; i < times; ++i)
        text += piece;
    return text;
}

TEST_F(HtmlViewer, LongParagraphWrapsToMoreLinesInANarrowerViewer)
{
    std::wstring paragraph = L"<p>" + Repeat(L"Every word of this paragraph wraps to the width of the viewer. ", 6) + L"</p>";
    HWND wide = Viewer(230, 200), narrow = Viewer(120, 200);
    Show(wide, paragraph);
    Show(narrow, paragraph);
    std::wstring wideText = ShownText(wide), narrowText = ShownText(narrow);
    EXPECT_GT(std::count(wideText.begin(), wideText.end(), L'\n'), 3);
    EXPECT_GT(std::count(narrowText.begin(), narrowText.end(), L'\n'), std::count(wideText.begin(), wideText.end(), L'\n'));
    EXPECT_GT(ContentHeight(narrow), ContentHeight(wide));

    SetWindowPos(narrow, nullptr, 0, 0, 230, 200, SWP_NOMOVE | SWP_NOZORDER); // WM_SIZE re-wraps
    EXPECT_EQ(ShownText(narrow), ShownText(wide));
}

TEST_F(HtmlViewer, HeadingsAreTallerThanBodyText)
{
    HWND viewer = Viewer(230, 200);
    int previous = 1000;
    for (const wchar_t* page : {L"<h1>Title</h1>", L"<h2>Title</h2>", L"<h3>Title</h3>", L"<p>Title</p>"}) {
        Show(viewer, page);
        EXPECT_LT(ContentHeight(viewer), previous) << ToUtf8(page);
        EXPECT_GT(ContentHeight(viewer), 8) << ToUtf8(page);
        previous = ContentHeight(viewer);
    }
}

TEST_F(HtmlViewer, ShowsTheTextAUserReadsAndNothingElse)
{
    HWND viewer = Viewer(230, 300);
    Show(viewer, L"<html><head><title>Hidden title</title><style>p{}</style></head><body>"
                 L"<h3>Keys &amp; clicks</h3><script>var x = '<p>';</script>"
                 L"<p>1 &lt; 2 &gt; 0, &quot;A&#66;&#x43;&quot;&nbsp;x<br>next   line</p>"
                 L"<ul><li>one</li><li><b>two</b> <i>three</i></li></ul><ol><li>first<li>second</ol>"
                 L"<blink>unknown tag</blink><!-- a comment --></body></html>");
    EXPECT_EQ(ShownText(viewer), L"Keys & clicks\n1 < 2 > 0, \"ABC\"\u00A0x\nnext line\n\u2022 one\n\u2022 two three\n"
                                 L"1. first\n2. second\nunknown tag\n");
}

TEST_F(HtmlViewer, HelpPageIsLongerThanTheScreenAndScrolls)
{
    // The Help page's viewer on the 240x320 screen: 230 x 238 pixels.
    HWND viewer = Viewer(230, 238);
    Navigate(viewer, L"file://" + StageDirectory() + L"\\help\\help.html");
    std::wstring text = ShownText(viewer);
    for (const wchar_t* label : {L"Enable USB mouse support", L"Enable USB keyboard support", L"Switch Task", L"EnableDebug"})
        EXPECT_NE(text.find(label), std::wstring::npos) << ToUtf8(label);
    for (const wchar_t* markup : {L"<b>", L"</", L"&lt;", L"href", L"Vantorix Help\nVantorix Help"})
        EXPECT_EQ(text.find(markup), std::wstring::npos) << ToUtf8(markup);
    EXPECT_GT(ContentHeight(viewer), 3 * 238);
    EXPECT_TRUE(GetWindowLongW(viewer, GWL_STYLE) & WS_VSCROLL) << "no scroll bar";

    SendMessageW(viewer, WM_VSCROLL, SB_PAGEDOWN, 0);
    int page = GetScrollPos(viewer, SB_VERT);
    EXPECT_GT(page, 150);
    SendMessageW(viewer, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_GT(GetScrollPos(viewer, SB_VERT), page);
    SendMessageW(viewer, WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(GetScrollPos(viewer, SB_VERT), ContentHeight(viewer) - 238);

    // A stylus drag upwards by 100 pixels moves the page 100 pixels back down.
    SendMessageW(viewer, WM_VSCROLL, SB_TOP, 0);
    SendMessageW(viewer, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 150));
    SendMessageW(viewer, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(100, 50));
    SendMessageW(viewer, WM_LBUTTONUP, 0, MAKELPARAM(100, 50));
    EXPECT_EQ(GetScrollPos(viewer, SB_VERT), 100);
    EXPECT_TRUE(g_hotspots.empty()) << "a drag is no tap";
}

TEST_F(HtmlViewer, PageFileIsReadInEachUnicodeEncoding)
{
    const std::wstring page = L"<h3>Gr\u00FC\u00DFe</h3><p>5 \u20AC &amp; \u4E2D</p>";
    std::string utf8 = ToUtf8(page), little = "\xFF\xFE", big = "\xFE\xFF";
    for (wchar_t c : page) {
        little += {(char)(c & 0xFF), (char)(c >> 8)};
        big += {(char)(c >> 8), (char)(c & 0xFF)};
    }
    const struct { const char* what; std::string bytes; } files[] = {
        {"UTF-8", utf8},
        {"UTF-8 with its mark", "\xEF\xBB\xBF" + utf8},
        {"UTF-16 little-endian", little},
        {"UTF-16 big-endian", big},
    };
    HWND viewer = Viewer(230, 238);
    for (const auto& file : files) {
        Navigate(viewer, L"file://" + TempFile(L"vantorix-encoding.html", file.bytes));
        EXPECT_EQ(ShownText(viewer), L"Gr\u00FC\u00DFe\n5 \u20AC & \u4E2D\n") << file.what;
    }
}

TEST_F(HtmlViewer, MissingOrUnreadablePageShowsAMessage)
{
    HWND viewer = Viewer(230, 238);
    for (const std::wstring& address : {std::wstring(L"file://\\no such folder\\help.html"),
                                        L"file://" + StageDirectory(), std::wstring(L"http://example.com/"),
                                        std::wstring(L"file://"), L"file://" + std::wstring(3000, L'x')}) {
        Navigate(viewer, address);
        EXPECT_EQ(ShownText(viewer), L"The page cannot be shown.\n") << ToUtf8(address.substr(0, 60));
    }
    SendMessageW(viewer, DTM_NAVIGATE, 0, 0);
    EXPECT_EQ(ShownText(viewer), L"The page cannot be shown.\n");
}

TEST_F(HtmlViewer, HostileInputNeverCrashesOrHangs)
{
    std::string junk;
    for (int i = 0; i < 300000; ++i)
        junk += (char)((i * 7919 + (i >> 3)) & 0xFF); // every byte value, no valid UTF-8
    std::string huge;
    while (huge.size() < 5 * 1024 * 1024)
        huge += "<p>Many <b>words</b> in a file far larger than any help page.</p>\n";
    const std::wstring pages[] = {
        Repeat(L"<div><ul><li><b>", 40000) + L"deeply nested",
        L"<b><i><a href='x'><h1>never closed",
        Repeat(L"<", 60000) + L"stray",
        Repeat(L"<a", 30000) + L" no tag end",
        L"<a href=\"unterminated>" + Repeat(L"text ", 3000),
        std::wstring(200000, L'W') + L" long word",
        L"&#99999999999; &#x110000; &#0; &#xD800; &; &amp &#; &#x; &unknown; &" + Repeat(L"&#38;", 9000),
        L"<!-- never closed " + Repeat(L"x", 1000),
        L"<script>" + Repeat(L"if (a < b) {}", 5000),
        Repeat(L"<ol><li>", 5000) + Repeat(L"<li>item", 20000),
        Repeat(L"<br>", 50000) + L"end",
        Repeat(L"<a href=#x name=", 8000) + L">",
        std::wstring(L"\x0001\x0008\xFFFF\xFFFE\xD800 control \x001B characters"),
    };
    HWND viewer = Viewer(230, 238);
    auto survives = [&](const std::string& what) {
        SendMessageW(viewer, WM_VSCROLL, SB_BOTTOM, 0);
        RedrawWindow(viewer, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); // paints the end of it
        EXPECT_TRUE(IsWindow(viewer) && ContentHeight(viewer) > 0 && ShownText(viewer).size() < 70000u) << what;
    };
    ULONGLONG start = GetTickCount64();
    for (size_t i = 0; i < sizeof pages / sizeof pages[0]; ++i) {
        Show(viewer, pages[i]);
        survives("page " + std::to_string(i));
    }
    Navigate(viewer, L"file://" + TempFile(L"vantorix-junk.html", junk));
    survives("binary junk");
    Navigate(viewer, L"file://" + TempFile(L"vantorix-huge.html", huge));
    survives("huge file");
    EXPECT_NE(ShownText(viewer).find(L"words"), std::wstring::npos);
    EXPECT_LT(GetTickCount64() - start, 20000u) << "hostile pages took too long";
}

TEST_F(HtmlViewer, TappingALinkSendsItsHrefToTheParent)
{
    HWND viewer = Viewer(230, 238);
    Show(viewer, L"<p><a href=\"other.html?a=1&amp;b=2\">Tap this link to go on</a> and not this text.</p>");
    SendMessageW(viewer, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 8));
    SendMessageW(viewer, WM_LBUTTONUP, 0, MAKELPARAM(21, 9));
    ASSERT_EQ(g_hotspots.size(), 1u);
    EXPECT_EQ(g_hotspots[0].target, L"other.html?a=1&b=2");
    EXPECT_EQ(g_hotspots[0].from, viewer);
    EXPECT_EQ(g_hotspots[0].id, (UINT_PTR)kViewerId);

    SendMessageW(viewer, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(200, 8)); // plain text
    SendMessageW(viewer, WM_LBUTTONUP, 0, MAKELPARAM(200, 8));
    EXPECT_EQ(g_hotspots.size(), 1u);

    // A link to an anchor of the page, left to the viewer by the parent, scrolls there.
    Show(viewer, L"<a href=\"#end\">To the end</a>" + Repeat(L"<p>filler</p>", 60) + L"<h3 id=\"end\">End</h3>");
    SendMessageW(viewer, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 8));
    SendMessageW(viewer, WM_LBUTTONUP, 0, MAKELPARAM(20, 8));
    ASSERT_EQ(g_hotspots.size(), 2u);
    EXPECT_EQ(g_hotspots[1].target, L"#end");
    EXPECT_EQ(GetScrollPos(viewer, SB_VERT), ContentHeight(viewer) - 238);
}

} // namespace
