#include "Recorder.h"
#include <gtest/gtest.h>
#include "WaitUntil.h"

// Injected input reaches a window in the order it was injected: once a marker key
// injected after everything else has arrived, so has everything before it.
static const UINT kMarkerKey = VK_F24;

static bool IsMarker(const RecorderEvent& e) { return e.vk == kMarkerKey && e.kind.find("key") != std::string::npos; }

static std::wstring ColourArgument(COLORREF c)
{
    wchar_t text[16];
    swprintf(text, 16, L"%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
    return text;
}

Recorder::Recorder(COLORREF background) : background_(background) {}

Recorder::~Recorder() { Stop(); }

bool Recorder::Start(DWORD timeoutMs)
{
    Stop();
    // A recorder left over from a failed test would take our input.
    for (HWND stale; (stale = FindWindowW(RECORDER_CLASS, nullptr)) != nullptr;) {
        DWORD pid = 0;
        GetWindowThreadProcessId(stale, &pid);
        HANDLE old = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
        if (!old)
            break;
        TerminateProcess(old, 1);
        WaitForSingleObject(old, 5000);
        CloseHandle(old);
    }
    file_ = NewScratchFile(L"recorder");
    read_ = 0;
    DeleteFileW(file_.c_str());
    process_ = StartProgram(DeviceProgramPath(L"recorder.exe"),
                            L"\"" + file_ + L"\" -background " + ColourArgument(background_));
    if (!process_)
        return false;
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        HWND window = FindWindowW(RECORDER_CLASS, nullptr);
        if (window && GetForegroundWindow() == window && IsWindowVisible(window)) {
            window_ = window;
            // A round trip through its queue: the first paint is done.
            DWORD_PTR ignored;
            SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK, 5000, &ignored);
            return true;
        }
        if (WaitForSingleObject(process_, 20) == WAIT_OBJECT_0)
            break;
    }
    Stop();
    return false;
}

void Recorder::Stop()
{
    if (!process_)
        return;
    if (window_ && IsWindow(window_))
        PostMessageW(window_, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process_, 5000) != WAIT_OBJECT_0) {
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, 5000);
    }
    CloseHandle(process_);
    process_ = nullptr;
    window_ = nullptr;
}

std::vector<RecorderEvent> Recorder::Events() const { return ReadRecorderFile(file_); }

std::vector<RecorderEvent> Recorder::Events(const char* kind) const
{
    std::vector<RecorderEvent> all = Events(), some;
    for (const RecorderEvent& e : all)
        if (e.kind == kind)
            some.push_back(e);
    return some;
}

bool Recorder::WaitFor(const char* kind, RecorderEvent* found, size_t from, DWORD timeoutMs) const
{
    std::vector<RecorderEvent> events = WaitForCount(kind, 1, from, timeoutMs);
    if (events.empty())
        return false;
    if (found)
        *found = events[0];
    return true;
}

std::vector<RecorderEvent> Recorder::WaitForCount(const char* kind, size_t count, size_t from, DWORD timeoutMs) const
{
    DWORD start = GetTickCount();
    for (;;) {
        std::vector<RecorderEvent> all = Events(), some;
        for (size_t i = from; i < all.size(); ++i)
            if (all[i].kind == kind)
                some.push_back(all[i]);
        if (some.size() >= count || GetTickCount() - start >= timeoutMs)
            return some;
        Sleep(20);
    }
}

std::vector<RecorderEvent> Recorder::Received()
{
    keybd_event((BYTE)kMarkerKey, 0, 0, 0);
    keybd_event((BYTE)kMarkerKey, 0, KEYEVENTF_KEYUP, 0);
    std::vector<RecorderEvent> all, received;
    size_t marker = 0;
    bool arrived = WaitUntil([&] {
        all = ReadRecorderFile(file_);
        for (marker = read_; marker < all.size(); ++marker)
            if (IsMarker(all[marker]) && all[marker].kind == "keydown")
                return true;
        return false;
    }, 30000);
    if (!arrived)
        ADD_FAILURE() << "the recorder did not receive the marker key: it is not in front, or input was lost";
    for (size_t i = read_; i < marker && i < all.size(); ++i)
        if (all[i].kind != "mousemove" && all[i].kind != "char" && !IsMarker(all[i]))
            received.push_back(all[i]);
    read_ = arrived ? marker + 1 : all.size();
    return received;
}

std::vector<std::string> Recorder::Words(const std::vector<RecorderEvent>& events)
{
    std::vector<std::string> words;
    char text[32];
    for (const RecorderEvent& e : events) {
        bool button = e.kind.size() > 7 && e.kind.compare(1, 6, "button") == 0;
        if (button)
            words.push_back(e.kind.substr(0, 1) + e.kind.substr(7)); // "lbuttondown" -> "ldown"
        else if (e.kind == "wheel")
            words.push_back((e.delta > 0 ? "w+" : "w") + std::to_string(e.delta));
        else {
            bool plain = (e.vk >= 'A' && e.vk <= 'Z') || (e.vk >= '0' && e.vk <= '9');
            snprintf(text, sizeof text, plain ? "%c %s %X" : "vk%X %s %X", e.vk,
                     e.kind.find("down") != std::string::npos ? "down" : "up", e.scan);
            words.push_back(text);
        }
    }
    return words;
}

void Recorder::PaintPatch(const RECT& screen, COLORREF colour)
{
    DWORD_PTR ignored;
    SendMessageTimeoutW(window_, RECORDER_SET_PATCH_COLOUR, (WPARAM)colour, 0, SMTO_BLOCK, 5000, &ignored);
    SendMessageTimeoutW(window_, RECORDER_PAINT_PATCH, MAKELONG(screen.left, screen.top),
                        MAKELONG(screen.right, screen.bottom), SMTO_BLOCK, 5000, &ignored);
}

void Recorder::SetBackground(COLORREF colour)
{
    background_ = colour;
    DWORD_PTR ignored;
    SendMessageTimeoutW(window_, RECORDER_SET_BACKGROUND, (WPARAM)colour, 0, SMTO_BLOCK, 5000, &ignored);
}
