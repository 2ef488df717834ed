// Entry point of the tray program: start-up and the main thread's message loop.
#include "app/DriverListener.h"
#include "app/Startup.h"
#include "core/AppState.h"
#include "core/DebugLog.h"
#include "core/InstallPath.h"
#include "core/LoaderWatch.h"
#include "core/Registry.h"
#include "core/ScreenMetrics.h"
#include "core/WaitCursor.h"
#include "gui/GUI.h"
#include "input/CursorImage.h"
#include "input/CursorThread.h"
#include "input/KeySound.h"
#include "input/PowerThreads.h"
#include "protocol/DriverProtocol.h"
#include "protocol/InstallContract.h"
#include <stdlib.h>

// Exit handlers, installed during static initialisation and run in reverse order
// after WinMain returns: first the way out when the system's loader is held, then
// the cursor bitmap, then the window's resources.
static int s_exitCode;
static void ReleaseGUIAtExit() { g_gui.Release(); }
static void FreeCursorAtExit() { FreeCursorImage(g_cursor); }
// A process ends through the system's loader (every library is told of it), and
// freeing windows may need it too; while a library that never returned from its
// start-up or release routine holds the loader, the process would hang there for
// good instead. It ends at once.
static void LeaveIfLoaderHeld()
{
    if (!LoaderAnswers())
        TerminateProcess(GetCurrentProcess(), (UINT)s_exitCode);
}

static int InstallExitHandlers()
{
    ClearInstallPathCache();
    atexit(ReleaseGUIAtExit);
    atexit(FreeCursorAtExit);
    atexit(LeaveIfLoaderHeld);
    return 1;
}
static int s_exitHandlersInstalled = InstallExitHandlers();

// A listener whose queue is not up yet would lose the driver's first posts.
static const DWORD kListenerReadyMs = 2000;

static void ReadStartupValues()
{
    ReadRegValue(kEnableDebugValue, REG_DWORD, &g_debugEnabled, sizeof g_debugEnabled);
    ReadRegValue(kAboutWebNameValue, REG_SZ, g_aboutWebName, sizeof g_aboutWebName);
    ReadRegValue(kAboutWebLinkValue, REG_SZ, g_aboutWebLink, sizeof g_aboutWebLink);
    ReadRegValue(kVersionGUIValue, REG_SZ, g_versionGUI, sizeof g_versionGUI);
    ReadRegValue(kVersionDriverValue, REG_SZ, g_versionDriver, sizeof g_versionDriver);
    ReadRegValue(kDescriptionValue, REG_SZ, g_description, sizeof g_description);
}

static void StartWorkers()
{
    DWORD id;
    g_powerThread.Reset(CreateThread(nullptr, 0, PowerNotificationThread, nullptr, 0, &id));
    DebugLog(L"INIT-4: CT-1 (power) thread: %X running.", (unsigned)(UINT_PTR)g_powerThread.Get());

    ScopedHandle timeoutThread(CreateThread(nullptr, 0, PowerTimeoutThread, nullptr, 0, &id));
    DebugLog(L"INIT-5: CT-2 (power timeout) thread: %X running.", (unsigned)(UINT_PTR)timeoutThread.Get());
    SetThreadPriority(timeoutThread, THREAD_PRIORITY_ABOVE_NORMAL);

    // The cursor's thread is there before the first report can move the pointer.
    g_cursorThread.Reset(CreateThread(nullptr, 0, CursorThread, nullptr, 0, &id));
    DebugLog(L"CT-4 (cursor) thread: %X running.", (unsigned)(UINT_PTR)g_cursorThread.Get());
    SetThreadPriority(g_cursorThread, THREAD_PRIORITY_ABOVE_NORMAL);

    g_listenerReady = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    g_listenerThread.Reset(CreateThread(nullptr, 0, DriverListenThread, nullptr, 0, &g_listenerThreadId));
    DebugLog(L"INIT-6: CT-3 (msg listener) thread: %X running. Inform Driver.",
             (unsigned)(UINT_PTR)g_listenerThread.Get());
    SetThreadPriority(g_listenerThread, THREAD_PRIORITY_ABOVE_NORMAL);
    if (g_listenerThread && g_listenerReady)
        WaitForSingleObject(g_listenerReady, kListenerReadyMs);

    // The driver posts to a thread identifier; a listener that failed to start is published as 0.
    DWORD published = g_listenerThread ? g_listenerThreadId : 0;
    WriteRegValue(kListenerThreadValue, REG_DWORD, &published, sizeof published);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int)
{
    g_instance = instance;
    ReadStartupValues();

    WCHAR device[255] = {};
    SystemParametersInfoW(SPI_GETOEMINFO, ARRAYSIZE(device), device, 0);
    DebugLog(L"\n\nInit tray app.\n--------------------------\nDevice: [%s]", device);

    DWORD autostart = 0;
    ReadRegValue(kEnableAutostartValue, REG_DWORD, &autostart, sizeof autostart);
    DebugLog(L"Autostart: %d", (int)autostart);
    if (!MayStart(autostart, commandLine))
        return 0;

    g_closeEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    DebugLog(L"INIT-0: Created close event %X", (unsigned)(UINT_PTR)g_closeEvent);

    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
    DebugLog(L"INIT-1: CT-0 (app main) thread: %X running.", (unsigned)GetCurrentThreadId());

    DebugLog(L"INIT-2: REG Settings: %d", LoadSettings(g_gui));
    LoadWaitCursor();

    g_gui.terminate = TerminateApp;
    g_gui.displayChanged = NoteCursorDisplayChanged;
    if (g_gui.InitWindow(instance) != INIT_WINDOW_READY) {
        DebugLog(L"QUIT: Duplicate instance");
        return 0;
    }
    DebugLog(L"INIT-3: Screen size: %dx%d, DRAX(2)=%d, DRAY(2)=%d, MH=%d", g_screen.width, g_screen.height, DRAX(2),
             DRAY(2), g_screen.MH);

    if (g_gui.Enable_Tray)
        TrayIconAdd(g_gui.mainWindow, TRAY_ICON_ID, g_gui.programIcon);

    LoadCursorImage(g_cursor);
    LoadKeySound(GetInstallFilePath(L"", L"soundkb.wav"));

    StartWorkers();

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    s_exitCode = (int)msg.wParam;
    return s_exitCode;
}
