#include "Recorder.h"
#include <gtest/gtest.h>
#include "WaitUntil.h"

// Injected input reaches a window in the order it was injected: once a marker key
// injected after everything else has arrived, so has everything before it.
static const UINT kMarkerKey = VK_F24;

static bool IsMarker(const RecorderEvent& e) { return e.vk == kMarkerKey && e.kind.find("key") != std::string::npos; }

bool Recorder::Start(COLORREF background)
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
    background_ = background;
    file_ = NewScratchFile(L"recorder");
    read_ = 0;
    wchar_t colour[16];
    swprintf(colour, 16, L"%02X%02X%02X", GetRValue(background), GetGValue(background), GetBValue(background));
    process_ = StartProgram(DeviceProgramPath(L"recorder.exe"), L"\"" + file_ + L"\" -background " + colour);
    if (process_ && WaitUntil([&] {
            window_ = FindWindowW(RECORDER_CLASS, nullptr);
            return (window_ && GetForegroundWindow() == window_ && IsWindowVisible(window_)) ||
                   WaitForSingleObject(process_, 0) == WAIT_OBJECT_0;
        }, 15000) && GetForegroundWindow() == window_) {
        // A round trip through its queue: the first paint is done.
        DWORD_PTR ignored;
        SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_BLOCK, 5000, &ignored);
        return true;
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
