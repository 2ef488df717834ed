// A session with an applet library, run on its own thread and waited for with a
// limit on each call into the library and one on the whole exchange. Every call
// into the library is guarded (CallApplet): a library that faults is never called
// again nor released.
#include "browsers/AppletSession.h"
#include <cpl.h>
#include "ScopedWin.h"
#include "browsers/AppletCall.h"
#include "core/DebugLog.h"
#include "core/LoaderWatch.h"

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
            BeginCall();
            module.Reset();
        }
    }

    // Each call into the library has its own time limit.
    void BeginCall() { session.callStarted.Set((LONG)GetTickCount()); }

    void Load()
    {
        BeginCall();
        module.Reset(LoadLibraryW(session.module));
    }

    // The entry's answer; 0 once the library has faulted, and once the waiter has
    // left, for anything but CPL_EXIT.
    LONG Call(UINT message, LPARAM first, LPARAM second)
    {
        LONG result = 0;
        DWORD exception = 0;
        if (faulted || (session.abandoned.IsSet() && message != CPL_EXIT))
            return 0;
        BeginCall();
        if (CallApplet(entry, session.window, message, first, second, &result, &exception))
            return result;
        faulted = true;
        DebugLog(L"Applet browser: [%s] faulted inside CPlApplet (message %u, exception %08X), left loaded and not "
                 L"used again",
                 session.module, message, (unsigned)exception);
        return 0;
    }
};

// Loads the library and runs CPL_INIT; false when either fails, or when the waiter
// left while the library started (it is released without being asked).
bool OpenApplets(AppletLibrary& library, const AppletSession& session)
{
    library.Load();
    if (session.logLoad)
        DebugLog(L"GetAppletContents loaded [%s]", session.module);
    if (!library.module || session.abandoned.IsSet())
        return false;
    library.entry = (APPLET_PROC)GetProcAddressW(library.module, L"CPlApplet");
    if (!library.entry)
        return false;
    library.initialised = library.Call(CPL_INIT, 0, 0) != 0;
    return library.initialised;
}

void ReadNames(AppletLibrary& library, AppletSession& session)
{
    for (int i = 0; i < session.reported && !library.faulted && !session.abandoned.IsSet(); ++i) {
        InquiryRecord record = {};
        library.Call(CPL_NEWINQUIRE, i, (LPARAM)&record.info);
        record.info.szName[ARRAYSIZE(record.info.szName) - 1] = 0;
        CopyText(session.names[i], APPLET_NAME_CHARS, library.faulted ? L"" : record.info.szName);
        session.read = i + 1;
        if (session.wanted[0] && wcscmp(session.names[i], session.wanted) == 0)
            return;
    }
}

void Release(AppletSession* session)
{
    if (InterlockedDecrement(&session->holders) != 0)
        return;
    ScopedHandle finished(session->finished);
    LocalFree(session);
}

DWORD WINAPI SessionThread(void* data)
{
    AppletSession* session = (AppletSession*)data;
    // A thread that begins only after its waiter has left (the loader was held as it
    // started) loads nothing.
    if (!session->abandoned.IsSet()) {
        AppletLibrary library(*session);
        if (OpenApplets(library, *session)) {
            LONG count = session->count = library.Call(CPL_GETCOUNT, 0, 0);
            session->reported = count < 0 ? 0 : count > APPLETS_PER_LIBRARY_MAX ? APPLETS_PER_LIBRARY_MAX : (int)count;
            ReadNames(library, *session);
            session->opened = true;
        }
    }
    SetEvent(session->finished);
    Release(session);
    return 0;
}

enum WaitEnd { ANSWERED, CALL_TOO_LONG, EXCHANGE_TOO_LONG, PICKER_ENDING, WAIT_BROKE };

// A library that answers within this time is waited for with the picker's input
// left queued, as a double tap whose second tap comes meanwhile must still reach
// the tree; one that takes longer is waited for with the picker answering.
enum { PICKER_ANSWERS_AFTER_MS = 500 };

bool IsInput(UINT message)
{
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) || (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK);
}

// Handles what waits in this thread's queue while the picker waits for a library.
// Input to the tree is dropped (the picker shows its busy cursor): the tree is
// inside the notice that waits, and a tap would begin another. False once the
// picker is ending; a quit message is put back for the loops outside.
bool AnswerPicker(const PickerState& picker)
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage((int)msg.wParam);
            return false;
        }
        if (IsInput(msg.message) && picker.tree && (msg.hwnd == picker.tree || IsChild(picker.tree, msg.hwnd)))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        if (PickerEnding(picker))
            return false;
    }
    return true;
}

// Waits for the session's thread to be done with the library, at most
// APPLET_ANSWER_MS for each of its calls and APPLET_EXCHANGE_MS for all, answering
// meanwhile what is sent to this thread and, with a picker, the picker.
WaitEnd WaitAnswering(const AppletSession& session, DWORD started, const PickerState* picker)
{
    HANDLE finished = session.finished;
    for (;;) {
        if (picker && PickerEnding(*picker))
            return PICKER_ENDING;
        if (WaitForSingleObject(finished, 0) == WAIT_OBJECT_0)
            return ANSWERED;
        DWORD now = GetTickCount(), call = now - (DWORD)session.callStarted.Get(), all = now - started;
        if (call >= APPLET_ANSWER_MS)
            return CALL_TOO_LONG;
        if (all >= APPLET_EXCHANGE_MS)
            return EXCHANGE_TOO_LONG;
        DWORD limit = APPLET_ANSWER_MS - call < APPLET_EXCHANGE_MS - all ? APPLET_ANSWER_MS - call
                                                                         : APPLET_EXCHANGE_MS - all;
        bool answering = picker && all >= PICKER_ANSWERS_AFTER_MS;
        if (picker && !answering && limit > PICKER_ANSWERS_AFTER_MS - all)
            limit = PICKER_ANSWERS_AFTER_MS - all;
        DWORD woken = MsgWaitForMultipleObjects(1, &finished, FALSE, limit, answering ? QS_ALLINPUT : QS_SENDMESSAGE);
        if (woken == WAIT_OBJECT_0)
            return ANSWERED;
        if (woken == WAIT_OBJECT_0 + 1) {
            MSG msg;
            if (!answering)
                PeekMessageW(&msg, nullptr, WM_NULL, WM_NULL, PM_NOREMOVE); // delivers what was sent
            else if (!AnswerPicker(*picker))
                return PICKER_ENDING;
        } else if (woken != WAIT_TIMEOUT) {
            return WAIT_BROKE;
        }
    }
}

void LogLeft(const WCHAR* module, WaitEnd end)
{
    if (end == CALL_TOO_LONG)
        DebugLog(L"Applet browser: [%s] did not answer within %d ms, left to itself and not listed", module,
                 APPLET_ANSWER_MS);
    else if (end == EXCHANGE_TOO_LONG)
        DebugLog(L"Applet browser: [%s] took more than %d ms in all, left to itself and not listed", module,
                 APPLET_EXCHANGE_MS);
    else if (end == PICKER_ENDING)
        DebugLog(L"Applet browser: [%s] left to itself, the picker is ending", module);
    else
        DebugLog(L"Applet browser: [%s] left to itself, its wait failed (error %u)", module,
                 (unsigned)GetLastError());
}

} // namespace

AppletSession* RunAppletSession(const WCHAR* module, HWND window, bool logLoad, const WCHAR* wanted,
                                PickerState* picker)
{
    if (!LoaderAnswers()) {
        DebugLog(L"Applet browser: [%s] not loaded, the system's loader is held", module);
        return nullptr;
    }
    AppletSession* session = (AppletSession*)LocalAlloc(LPTR, sizeof(AppletSession));
    if (session)
        session->finished = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!session || !session->finished) {
        DebugLog(L"Applet browser: no memory to open [%s]", module);
        if (session) {
            session->holders = 1;
            Release(session);
        }
        return nullptr;
    }
    CopyText(session->module, ARRAYSIZE(session->module), module);
    CopyText(session->wanted, ARRAYSIZE(session->wanted), wanted);
    session->window = window;
    session->logLoad = logLoad;
    session->holders = 2;
    DWORD started = GetTickCount();
    session->callStarted.Set((LONG)started); // the thread's start counts as the first call
    ScopedHandle thread(CreateThread(nullptr, 0, SessionThread, session, 0, nullptr));
    if (!thread.IsValid()) {
        DebugLog(L"Applet browser: no thread to open [%s]", module);
        session->holders = 1;
        Release(session);
        return nullptr;
    }
    thread.Reset();
    if (picker)
        ++picker->busy;
    WaitEnd end = WaitAnswering(*session, started, picker);
    if (picker)
        --picker->busy;
    if (end == ANSWERED)
        return session;
    session->abandoned.Set(true);
    LogLeft(module, end);
    // Left inside a call, the library may hold the system's loader (its start-up,
    // or a library it loads, never returning): it is known now rather than at the
    // next library's cost.
    if ((end == CALL_TOO_LONG || end == EXCHANGE_TOO_LONG) && !LoaderAnswers())
        DebugLog(L"Applet browser: [%s] holds the system's loader, no library is loaded until it lets go", module);
    Release(session);
    return nullptr;
}

void EndAppletSession(AppletSession* session)
{
    if (session)
        Release(session);
}
