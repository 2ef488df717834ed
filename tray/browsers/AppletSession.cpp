// A session with an applet library, run on its own thread and waited for with a
// limit. Every call into the library is guarded (CallApplet): a library that faults
// is never called again nor released.
#include "AppletSession.h"
#include <cpl.h>
#include "AppletCall.h"
#include "DebugLog.h"

namespace {

// An applet may write a larger record than it was given; the spare room keeps that
// off the stack around it.
struct InquiryRecord {
    NEWCPLINFOW info;
    BYTE spare[512];
};

// A loaded applet library; after a successful CPL_INIT the library is told
// CPL_EXIT before it is released, as the control-panel protocol asks.
struct AppletLibrary {
    HMODULE module = nullptr;
    APPLET_PROC entry = nullptr;
    HWND window = nullptr;
    const WCHAR* file = L"";
    bool initialised = false;
    bool faulted = false;

    AppletLibrary() = default;
    AppletLibrary(const AppletLibrary&) = delete;
    AppletLibrary& operator=(const AppletLibrary&) = delete;
    ~AppletLibrary()
    {
        if (initialised)
            Call(CPL_EXIT, 0, 0);
        if (module && !faulted)
            FreeLibrary(module);
    }

    // The entry's answer; 0 once the library has faulted.
    LONG Call(UINT message, LPARAM first, LPARAM second)
    {
        LONG result = 0;
        DWORD exception = 0;
        if (faulted || CallApplet(entry, window, message, first, second, &result, &exception))
            return result;
        faulted = true;
        DebugLog(L"Applet browser: [%s] faulted inside CPlApplet (message %u, exception %08X), left loaded and not "
                 L"used again",
                 file, message, (unsigned)exception);
        return 0;
    }
};

// Loads the library and runs CPL_INIT; false when either fails.
bool OpenApplets(AppletLibrary& library, const AppletSession& session)
{
    library.window = session.window;
    library.file = session.module;
    library.module = LoadLibraryW(session.module);
    if (session.logLoad)
        DebugLog(L"GetAppletContents loaded [%s]", session.module);
    if (!library.module)
        return false;
    library.entry = (APPLET_PROC)GetProcAddressW(library.module, L"CPlApplet");
    if (!library.entry)
        return false;
    library.initialised = library.Call(CPL_INIT, 0, 0) != 0;
    return library.initialised;
}

void Release(AppletSession* session)
{
    if (InterlockedDecrement(&session->holders) == 0)
        LocalFree(session);
}

DWORD WINAPI SessionThread(void* data)
{
    AppletSession* session = (AppletSession*)data;
    {
        AppletLibrary library;
        if (OpenApplets(library, *session)) {
            LONG count = library.Call(CPL_GETCOUNT, 0, 0);
            session->reported = count < 0 ? 0 : count > APPLETS_PER_LIBRARY_MAX ? APPLETS_PER_LIBRARY_MAX : (int)count;
            for (int i = 0; i < session->reported && !library.faulted; ++i) {
                InquiryRecord record = {};
                library.Call(CPL_NEWINQUIRE, i, (LPARAM)&record.info);
                record.info.szName[ARRAYSIZE(record.info.szName) - 1] = 0;
                CopyText(session->names[i], APPLET_NAME_CHARS, library.faulted ? L"" : record.info.szName);
                session->read = i + 1;
            }
            session->opened = true;
        }
    }
    Release(session);
    return 0;
}

// Waits for `thread` up to `limit` ms, answering sent messages meanwhile; posted
// messages and input wait for the caller's loop. True when the thread ended.
bool WaitAnswering(HANDLE thread, DWORD limit)
{
    DWORD start = GetTickCount();
    for (;;) {
        DWORD waited = GetTickCount() - start;
        DWORD woken = MsgWaitForMultipleObjects(1, &thread, FALSE, waited < limit ? limit - waited : 0, QS_SENDMESSAGE);
        if (woken == WAIT_OBJECT_0)
            return true;
        if (woken != WAIT_OBJECT_0 + 1)
            return false;
        MSG msg;
        PeekMessageW(&msg, nullptr, WM_NULL, WM_NULL, PM_NOREMOVE); // delivers what was sent
    }
}

} // namespace

AppletSession* RunAppletSession(const WCHAR* module, HWND window, bool logLoad)
{
    AppletSession* session = (AppletSession*)LocalAlloc(LPTR, sizeof(AppletSession));
    if (!session) {
        DebugLog(L"Applet browser: no memory to open [%s]", module);
        return nullptr;
    }
    CopyText(session->module, ARRAYSIZE(session->module), module);
    session->window = window;
    session->logLoad = logLoad;
    session->holders = 2;
    HANDLE thread = CreateThread(nullptr, 0, SessionThread, session, 0, nullptr);
    if (!thread) {
        DebugLog(L"Applet browser: no thread to open [%s]", module);
        LocalFree(session);
        return nullptr;
    }
    bool answered = WaitAnswering(thread, APPLET_ANSWER_MS);
    CloseHandle(thread);
    if (!answered) {
        DebugLog(L"Applet browser: [%s] did not answer within %d ms, left to itself and not listed", module,
                 APPLET_ANSWER_MS);
        Release(session);
        return nullptr;
    }
    return session;
}

void EndAppletSession(AppletSession* session)
{
    if (session)
        Release(session);
}
