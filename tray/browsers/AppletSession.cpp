// A session with an applet library, run on its own thread and waited for with a
// limit on each call into the library. Every call into the library is guarded
// (CallApplet): a library that faults is never called again nor released.
#include "browsers/AppletSession.h"
#include <cpl.h>
#include "ScopedWin.h"
#include "browsers/AppletCall.h"
#include "core/DebugLog.h"

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
    AppletSession& session;
    ScopedModule module;
    APPLET_PROC entry = nullptr;
    bool initialised = false;
    bool faulted = false;

    explicit AppletLibrary(AppletSession& s) : session(s) {}
    AppletLibrary(const AppletLibrary&) = delete;
    AppletLibrary& operator=(const AppletLibrary&) = delete;
    ~AppletLibrary()
    {
        if (initialised)
            Call(CPL_EXIT, 0, 0);
        if (faulted) {
            module.Release(); // a library that faulted is never released
        } else if (module) {
            BeginCall(true);
            module.Reset();
            session.inLoader = 0;
        }
    }

    // Each call into the library has its own time limit.
    void BeginCall(bool inLoader)
    {
        session.callStarted = GetTickCount();
        session.inLoader = inLoader;
    }

    void Load()
    {
        BeginCall(true);
        module.Reset(LoadLibraryW(session.module));
        session.inLoader = 0;
    }

    // The entry's answer; 0 once the library has faulted.
    LONG Call(UINT message, LPARAM first, LPARAM second)
    {
        LONG result = 0;
        DWORD exception = 0;
        if (faulted)
            return 0;
        BeginCall(false);
        if (CallApplet(entry, session.window, message, first, second, &result, &exception))
            return result;
        faulted = true;
        DebugLog(L"Applet browser: [%s] faulted inside CPlApplet (message %u, exception %08X), left loaded and not "
                 L"used again",
                 session.module, message, (unsigned)exception);
        return 0;
    }
};

// Loads the library and runs CPL_INIT; false when either fails.
bool OpenApplets(AppletLibrary& library, const AppletSession& session)
{
    library.Load();
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
        AppletLibrary library(*session);
        if (OpenApplets(library, *session)) {
            LONG count = session->count = library.Call(CPL_GETCOUNT, 0, 0);
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

// Waits for the session's thread, at most APPLET_ANSWER_MS for each of its calls
// into the library, answering sent messages meanwhile; posted messages and input
// wait for the caller's loop. True when the thread ended.
bool WaitAnswering(HANDLE thread, const AppletSession& session)
{
    for (;;) {
        DWORD spent = GetTickCount() - session.callStarted;
        if (spent >= APPLET_ANSWER_MS)
            return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
        DWORD woken = MsgWaitForMultipleObjects(1, &thread, FALSE, APPLET_ANSWER_MS - spent, QS_SENDMESSAGE);
        if (woken == WAIT_OBJECT_0)
            return true;
        if (woken == WAIT_OBJECT_0 + 1) {
            MSG msg;
            PeekMessageW(&msg, nullptr, WM_NULL, WM_NULL, PM_NOREMOVE); // delivers what was sent
        } else if (woken != WAIT_TIMEOUT) {
            return false;
        }
    }
}

} // namespace

AppletSession* RunAppletSession(const WCHAR* module, HWND window, bool logLoad)
{
    if (g_loaderHeld) {
        DebugLog(L"Applet browser: [%s] not loaded, a library left in the loader holds it", module);
        return nullptr;
    }
    AppletSession* session = (AppletSession*)LocalAlloc(LPTR, sizeof(AppletSession));
    if (!session) {
        DebugLog(L"Applet browser: no memory to open [%s]", module);
        return nullptr;
    }
    CopyText(session->module, ARRAYSIZE(session->module), module);
    session->window = window;
    session->logLoad = logLoad;
    session->holders = 2;
    session->callStarted = GetTickCount(); // the thread's start counts as the first call
    ScopedHandle thread(CreateThread(nullptr, 0, SessionThread, session, 0, nullptr));
    if (!thread.IsValid()) {
        DebugLog(L"Applet browser: no thread to open [%s]", module);
        LocalFree(session);
        return nullptr;
    }
    bool answered = WaitAnswering(thread, *session);
    thread.Reset();
    if (!answered) {
        DebugLog(L"Applet browser: [%s] did not answer within %d ms, left to itself and not listed", module,
                 APPLET_ANSWER_MS);
        if (session->inLoader) {
            // Its start-up routine holds the system's loader: nothing loads after it.
            InterlockedExchange(&g_loaderHeld, 1);
            DebugLog(L"Applet browser: [%s] is stuck in the loader, no more libraries are loaded", module);
        }
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
