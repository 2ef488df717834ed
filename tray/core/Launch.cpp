// Starting programs and the device's Bluetooth settings.
#include "Launch.h"
#include "AppState.h"
#include "WaitCursor.h"

namespace {
// How long the caller waits for the launching thread to take its own copy of the
// texts; the launch itself is not waited for.
const DWORD kHandOverMs = 5000;

struct LaunchRequest {
    const WCHAR* file;
    const WCHAR* parameters;
    HANDLE taken; // set once the thread holds its copies
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
    const LaunchRequest* request = (const LaunchRequest*)argument;
    WCHAR file[TEXT_CHARS], parameters[TEXT_CHARS];
    CopyText(file, ARRAYSIZE(file), request->file);
    CopyText(parameters, ARRAYSIZE(parameters), request->parameters);
    SetEvent(request->taken); // the request lives on the caller's stack: not touched after this
    ShellExecuteQuietly(file, parameters);
    return 0;
}
} // namespace

// The shell may run a message loop of its own while it starts a program (error
// UI, a conversation with a running document's program). On the listener thread
// such a loop would throw every driver message away, so the launch runs on a thread
// of its own that receives none; the caller goes on once the texts are copied.
void LaunchProgram(const WCHAR* file, const WCHAR* parameters)
{
    LaunchRequest request = {file, parameters, CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    HANDLE thread = request.taken ? CreateThread(nullptr, 0, LaunchThread, &request, 0, nullptr) : nullptr;
    if (thread) {
        if (WaitForSingleObject(request.taken, kHandOverMs) != WAIT_OBJECT_0)
            TerminateThread(thread, 0); // it never got going: it must not read the request later
        CloseHandle(thread);
    } else {
        ShellExecuteQuietly(file, parameters); // no thread to spare: the quiet launch all the same
    }
    if (request.taken)
        CloseHandle(request.taken);
}

int OpenBluetoothSettings()
{
    ShowWaitCursor(1);
    WCHAR platform[TEXT_CHARS] = {};
    SystemParametersInfoW(SPI_GETPLATFORMTYPE, ARRAYSIZE(platform), platform, 0);
    platform[ARRAYSIZE(platform) - 1] = 0;
    // A Pocket PC keeps Bluetooth in its control panel; other devices have a bonding tool.
    if (_wcsicmp(platform, L"pocketpc") == 0)
        LaunchProgram(L"\\windows\\ctlpnl.exe", L"cplmain.cpl,23");
    else
        LaunchProgram(L"\\windows\\bthbond.exe", L"");
    ShowWaitCursor(0);
    return 1;
}
