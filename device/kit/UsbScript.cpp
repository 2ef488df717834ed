// The driver simulator's command language: one command a line, each turned into
// the thread messages that the USB host driver would post.
#include "DeviceKit.h"
#include "DriverProtocol.h"
#include <sstream>

namespace {

bool ParseNumber(const std::string& word, long* value)
{
    if (word.empty())
        return false;
    char* end = nullptr;
    long v = strtol(word.c_str(), &end, 0);
    if (!end || *end)
        return false;
    *value = v;
    return true;
}

// A message parameter as wide as the platform's: a driver may put anything in it.
bool ParseWord(const std::string& word, unsigned long long* value)
{
    if (word.empty())
        return false;
    char* end = nullptr;
    unsigned long long v = strtoull(word.c_str(), &end, 0);
    if (!end || *end)
        return false;
    *value = v;
    return true;
}

// A virtual key: a number, or one printable character meaning its own key.
bool ParseVirtualKey(const std::string& word, long* vk)
{
    if (word.size() == 1 && !isdigit((unsigned char)word[0])) {
        SHORT scan = VkKeyScanW((wchar_t)(unsigned char)word[0]);
        if (scan == -1)
            return false;
        *vk = scan & 0xFF;
        return true;
    }
    return ParseNumber(word, vk);
}

struct Poster {
    UsbSession& session;
    std::string* message;

    UsbResult Post(UINT msg, WPARAM wParam, LPARAM lParam)
    {
        if (!session.threadId) {
            session.threadId = ReadListenerThreadId();
            if (!session.threadId) {
                if (message)
                    *message = "INTRCM is missing: no listener thread is published";
                return USB_NO_LISTENER;
            }
        }
        if (!PostDriver(session.threadId, msg, wParam, lParam)) {
            if (message)
                *message = "posting to thread " + std::to_string(session.threadId) +
                           " failed (error " + std::to_string(GetLastError()) + "): the listener is gone";
            return USB_POST_FAILED;
        }
        ++session.posted;
        return USB_OK;
    }

    UsbResult Mouse(int wheel, int dx, int dy, DWORD buttons)
    {
        return Post(TM_MOUSEREPORT, PackMouseReport(wheel, dx, dy), (LPARAM)buttons);
    }

    // Moves further than a report can carry go out as several reports.
    UsbResult Move(long dx, long dy)
    {
        do {
            long stepX = dx > 127 ? 127 : dx < -127 ? -127 : dx;
            long stepY = dy > 127 ? 127 : dy < -127 ? -127 : dy;
            UsbResult r = Mouse(0, (int)stepX, (int)stepY, 0);
            if (r != USB_OK)
                return r;
            dx -= stepX;
            dy -= stepY;
        } while (dx || dy);
        return USB_OK;
    }

    UsbResult Key(long vk, long scan, DWORD flags)
    {
        return Post(TM_KBREPORT, PackKeyReport((BYTE)vk, (BYTE)scan), (LPARAM)flags);
    }
};

bool ButtonFlags(const std::string& name, DWORD* down, DWORD* up)
{
    if (name == "left") {
        *down = MOUSEEVENTF_LEFTDOWN;
        *up = MOUSEEVENTF_LEFTUP;
    } else if (name == "right") {
        *down = MOUSEEVENTF_RIGHTDOWN;
        *up = MOUSEEVENTF_RIGHTUP;
    } else if (name == "middle") {
        *down = MOUSEEVENTF_MIDDLEDOWN;
        *up = MOUSEEVENTF_MIDDLEUP;
    } else
        return false;
    return true;
}

bool DeviceMessage(const std::string& name, UINT* msg)
{
    if (name == "mouse")
        *msg = TM_MOUSESTATUS;
    else if (name == "keyboard" || name == "kb")
        *msg = TM_KBSTATUS;
    else
        return false;
    return true;
}

UsbResult Bad(std::string* message, const std::string& line)
{
    if (message)
        *message = "not a command: " + line;
    return USB_BAD_COMMAND;
}

} // namespace

UsbResult RunUsbCommand(UsbSession& session, const std::string& rawLine, std::string* message)
{
    std::string line = rawLine.substr(0, rawLine.find('#'));
    std::istringstream in(line);
    std::vector<std::string> w;
    for (std::string word; in >> word;)
        w.push_back(word);
    if (w.empty())
        return USB_OK;
    Poster p{session, message};
    const std::string& cmd = w[0];
    long a = 0, b = 0, c = 0, d = 0;
    UINT msg = 0;
    DWORD down = 0, up = 0;

    if ((cmd == "attach" || cmd == "detach") && w.size() == 2 && DeviceMessage(w[1], &msg))
        return p.Post(msg, cmd == "attach" ? 1 : 0, 0);
    if (cmd == "status" && w.size() == 3 && DeviceMessage(w[1], &msg) && ParseNumber(w[2], &a))
        return p.Post(msg, (WPARAM)a, 0);
    if (cmd == "move" && w.size() == 3 && ParseNumber(w[1], &a) && ParseNumber(w[2], &b))
        return p.Move(a, b);
    if (cmd == "wheel" && w.size() == 2 && ParseNumber(w[1], &a))
        return p.Mouse((int)a, 0, 0, 0);
    if ((cmd == "press" || cmd == "release" || cmd == "click") && w.size() == 2 && ButtonFlags(w[1], &down, &up)) {
        if (cmd == "release")
            return p.Mouse(0, 0, 0, up);
        UsbResult r = p.Mouse(0, 0, 0, down);
        return r != USB_OK || cmd == "press" ? r : p.Mouse(0, 0, 0, up);
    }
    if (cmd == "report" && w.size() == 5 && ParseNumber(w[1], &a) && ParseNumber(w[2], &b) &&
        ParseNumber(w[3], &c) && ParseNumber(w[4], &d))
        return p.Mouse((int)a, (int)b, (int)c, (DWORD)d);
    if (cmd == "key" && (w.size() == 4 || w.size() == 5) && ParseVirtualKey(w[2], &a) && ParseNumber(w[3], &b) &&
        (w.size() == 4 || ParseNumber(w[4], &c))) {
        if (w[1] == "down")
            return p.Key(a, b, (DWORD)c);
        if (w[1] == "up")
            return p.Key(a, b, (DWORD)c | KEYEVENTF_KEYUP);
        if (w[1] == "press") {
            UsbResult r = p.Key(a, b, (DWORD)c);
            return r != USB_OK ? r : p.Key(a, b, (DWORD)c | KEYEVENTF_KEYUP);
        }
        return Bad(message, rawLine);
    }
    if (cmd == "type" && w.size() >= 2) {
        std::string text = line.substr(line.find("type") + 5);
        while (!text.empty() && (text.back() == ' ' || text.back() == '\r' || text.back() == '\t'))
            text.pop_back();
        for (char ch : text) {
            SHORT scan = VkKeyScanW((wchar_t)(unsigned char)ch);
            if (scan == -1)
                return Bad(message, rawLine);
            BYTE vk = (BYTE)(scan & 0xFF);
            BYTE code = (BYTE)MapVirtualKeyW(vk, 0 /* MAPVK_VK_TO_VSC */);
            bool shift = (scan & 0x100) != 0;
            UsbResult r = shift ? p.Key(VK_SHIFT, 0x2A, 0) : USB_OK;
            if (r == USB_OK)
                r = p.Key(vk, code, 0);
            if (r == USB_OK)
                r = p.Key(vk, code, KEYEVENTF_KEYUP);
            if (r == USB_OK && shift)
                r = p.Key(VK_SHIFT, 0x2A, KEYEVENTF_KEYUP);
            if (r != USB_OK)
                return r;
        }
        return USB_OK;
    }
    if (cmd == "bluetooth" && w.size() == 2 && ParseNumber(w[1], &a))
        return p.Post(TM_BLUETOOTH, (WPARAM)a, 0);
    unsigned long long wParam = 0, lParam = 0;
    if (cmd == "post" && w.size() == 4 && ParseNumber(w[1], &a) && ParseWord(w[2], &wParam) && ParseWord(w[3], &lParam))
        return p.Post((UINT)a, (WPARAM)wParam, (LPARAM)lParam);
    if (cmd == "sleep" && w.size() == 2 && ParseNumber(w[1], &a) && a >= 0) {
        Sleep((DWORD)a);
        return USB_OK;
    }
    if (cmd == "flood" && w.size() == 3 && ParseNumber(w[1], &a) && ParseNumber(w[2], &b) && a >= 0 && b >= 0) {
        DWORD start = GetTickCount();
        for (long i = 0; i < a; ++i) {
            UsbResult r = p.Mouse(0, i % 2 ? -1 : 1, 0, 0);
            if (r != USB_OK)
                return r;
            if (b > 0) {
                // Paced against the start so that rounding does not add up.
                DWORD due = (DWORD)((double)(i + 1) * 1000.0 / (double)b);
                DWORD elapsed = GetTickCount() - start;
                if (due > elapsed)
                    Sleep(due - elapsed);
            }
        }
        return USB_OK;
    }
    if (cmd == "wait-listener" && w.size() == 2 && ParseNumber(w[1], &a) && a >= 0) {
        session.threadId = WaitForListener((DWORD)a);
        if (!session.threadId) {
            if (message)
                *message = "no live listener thread in INTRCM after " + w[1] + " ms";
            return USB_NO_LISTENER;
        }
        return USB_OK;
    }
    if (cmd == "close-window" && w.size() == 2) {
        HWND window = FindWindowW(FromUtf8(w[1]).c_str(), nullptr);
        if (!window) {
            if (message)
                *message = "no window of class " + w[1];
            return USB_NO_WINDOW;
        }
        PostMessageW(window, WM_CLOSE, 0, 0);
        return USB_OK;
    }
    return Bad(message, rawLine);
}

UsbResult RunUsbScript(UsbSession& session, const std::string& script, std::string* message, int* failedLine)
{
    std::istringstream in(script);
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        UsbResult r = RunUsbCommand(session, line, message);
        if (r != USB_OK) {
            if (failedLine)
                *failedLine = number;
            return r;
        }
    }
    return USB_OK;
}
