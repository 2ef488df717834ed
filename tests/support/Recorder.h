// The recorder application (recorder.exe) as a test's foreground window: start it,
// read what it received, make it repaint, stop it.
#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "DeviceKit.h"

class Recorder {
public:
    explicit Recorder(COLORREF background = RECORDER_DEFAULT_BACKGROUND);
    ~Recorder(); // stops it

    // Starts recorder.exe and waits until its window is the foreground window.
    bool Start(DWORD timeoutMs = 15000);
    void Stop();
    HWND Window() const { return window_; }
    const std::wstring& File() const { return file_; }

    // Everything recorded so far, or only one kind ("lbuttondown", ...).
    std::vector<RecorderEvent> Events() const;
    std::vector<RecorderEvent> Events(const char* kind) const;
    // The number of events now; pass it as `from` to look only at what follows.
    size_t Mark() const { return Events().size(); }
    // Waits for the first event of `kind` at index >= from; false on timeout.
    bool WaitFor(const char* kind, RecorderEvent* found = nullptr, size_t from = 0, DWORD timeoutMs = 5000) const;
    // Waits until at least `count` events of `kind` follow `from`.
    std::vector<RecorderEvent> WaitForCount(const char* kind, size_t count, size_t from = 0,
                                            DWORD timeoutMs = 5000) const;

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
    void SetBackground(COLORREF colour);
    COLORREF Background() const { return background_; }

private:
    COLORREF background_;
    std::wstring file_;
    size_t read_ = 0;
    HANDLE process_ = nullptr;
    HWND window_ = nullptr;
};

