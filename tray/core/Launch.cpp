// Starting programs and the device's Bluetooth settings.
#include "core/Launch.h"
#include "ScopedWin.h"
#include "core/AppState.h"
#include "core/DebugLog.h"
#include "core/LoaderWatch.h"
#include "core/WaitCursor.h"

namespace {

// The launch's own copies of the texts, handed to its thread, which frees them.
struct LaunchRequest {
    WCHAR file[TEXT_CHARS];
    WCHAR parameters[TEXT_CHARS];
};

void ShellExecuteQuietly(const WCHAR* file, const WCHAR* parameters)
{
    SHELLEXECUTEINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_FLAG_NO_UI; // a launch that fails does nothing visible
    info.lpFile = file;
    info.lpParameters = parameters;
    info.nShow = SW_SHOW;
    ShellExecuteEx(&info);
}

DWORD WINAPI LaunchThread(LPVOID argument)
{
    LaunchRequest* request = (LaunchRequest*)argument;
    ShellExecuteQuietly(request->file, request->parameters);
    LocalFree(request);
    return 0;
}
} // namespace

// The shell may run a message loop of its own while it starts a program (error
// UI, a conversation with a running document's program). On the listener thread
// such a loop would throw every driver message away, so the launch runs on a thread
// of its own that receives none. The caller never waits for that thread, not even
// for its start: a thread that cannot start (the system's loader held by another
// vendor's library) must not hold up driver input. Once the loader is known held no
// launch is tried; when it answers again, launches go on.
void LaunchProgram(const WCHAR* file, const WCHAR* parameters)
{
    if (LoaderKnownHeld()) {
        DebugLog(L"LaunchProgram: [%s] not started, a library holds the system's loader", file);
        return;
    }
    if (LaunchRequest* request = (LaunchRequest*)LocalAlloc(LMEM_FIXED, sizeof(LaunchRequest))) {
        CopyText(request->file, ARRAYSIZE(request->file), file);
        CopyText(request->parameters, ARRAYSIZE(request->parameters), parameters);
        ScopedHandle thread(CreateThread(nullptr, 0, LaunchThread, request, 0, nullptr));
        if (thread.IsValid())
            return;
        LocalFree(request);
    }
    ShellExecuteQuietly(file, parameters); // no thread to spare: the quiet launch all the same
}

int OpenBluetoothSettings()
{
    ShowWaitCursor(true);
    WCHAR platform[TEXT_CHARS] = {};
    SystemParametersInfoW(SPI_GETPLATFORMTYPE, ARRAYSIZE(platform), platform, 0);
    platform[ARRAYSIZE(platform) - 1] = 0;
    // A Pocket PC keeps Bluetooth in its control panel; other devices have a bonding tool.
    if (_wcsicmp(platform, L"pocketpc") == 0)
        LaunchProgram(L"\\windows\\ctlpnl.exe", L"cplmain.cpl,23");
    else
        LaunchProgram(L"\\windows\\bthbond.exe", L"");
    ShowWaitCursor(false);
    return 1;
}
