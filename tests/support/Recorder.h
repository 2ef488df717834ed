// The recorder application (recorder.exe) as a test's foreground window: start it,
// read what it received, make it repaint, stop it.
#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "DeviceKit.h"

class Recorder {
public:
    ~Recorder() { Stop(); }

    // Starts recorder.exe painted in `background` and waits until its window is in front.
    bool Start(COLORREF background = RECORDER_DEFAULT_BACKGROUND);
    void Stop();
    HWND Window() const { return window_; }
    COLORREF Background() const { return background_; }

    // What arrived since the last call (or the start), once all input injected before
    // this call has arrived. Pointer moves and typed characters are left out.
    std::vector<RecorderEvent> Received();
    // The same as words (see Words).
    std::vector<std::string> Inputs() { return Words(Received()); }
    // Events as words: "ldown", "rup", "w+240", "K down 25" (the key, then its scan
    // code in hex; keys other than letters and digits as "vk" and their code in hex).
    static std::vector<std::string> Words(const std::vector<RecorderEvent>& events);

    // Repaints a screen rectangle in `colour`, as an application drawing beneath a
    // cursor would; returns once the window has done it.
    void PaintPatch(const RECT& screen, COLORREF colour);

private:
    COLORREF background_ = RECORDER_DEFAULT_BACKGROUND;
    std::wstring file_;
    size_t read_ = 0;
    HANDLE process_ = nullptr;
    HWND window_ = nullptr;
};
