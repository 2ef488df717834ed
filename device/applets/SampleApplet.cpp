// The sample control-panel libraries of the emulated device's \windows. One library
// is copied under several names and behaves by the name it was loaded under, the
// way the libraries of a real device differ:
//   owner.cpl    one applet
//   system.cpl   four applets
//   connect.cpl  three applets, the first and the last of the same name
//   input.cpl    three applets, the second without a name
//   legacy.cpl   answers only CPL_INQUIRE, never CPL_NEWINQUIRE
//   broken.cpl   fails CPL_INIT
//   liar.cpl     claims 100000 applets whose names fill the field without an end
//   REGION.CPL   one applet, its file name in capitals
//   crash.cpl    two applets; asked for the second one's name it writes through a
//                null pointer
//   hang.cpl     two applets; asked for the second one's name it never answers
//   breakpoint.cpl  two applets; asked for the second one's name it hits a
//                breakpoint that nothing handles
//   raise.cpl    two applets; asked for the second one's name it raises a software
//                exception that nothing handles
//   probe.cpl    two applets; asked for its count and for each name it first probes
//                an address that cannot be read (IsBadReadPtr), and goes on
//   catch.cpl    two applets; asked for its count and for each name it first faults
//                and raises inside a structured exception handler of its own, and
//                goes on
//   slow.cpl     one applet; takes 2.6 s over its count and again over its name
//   stuck.cpl    never returns from its start-up routine (DllMain), holding the
//                system's loader; so does stuckhelper.dll
//   stuckinit.cpl   one applet; its CPL_INIT loads stuckhelper.dll from \windows,
//                which never returns from its start-up routine
//   stuckexit.cpl   one applet; takes 7 s over its name, then its CPL_EXIT loads
//                stuckhelper.dll
//   slowstart.cpl   one applet; its start-up routine takes 8 s
//   drag.cpl     twelve applets; takes 1.5 s over every call
//                (the device installs only owner, system, connect, input and REGION:
//                tests copy the others where they need them)
//   any other    one applet, "Sample Applet"
// Built with SAMPLE_WITHOUT_ENTRY it exports nothing (noentry.cpl).
#include <windows.h>
#include <cpl.h>
#include <cwchar>
#include <cwctype>
#include "ce_guarded_call.h" // the compiler's __try/__except on the device

#ifndef SAMPLE_WITHOUT_ENTRY
namespace {

enum Behaviour {
    NEW_INQUIRE, INQUIRE_ONLY, FAILS_INIT, LIES, FAULTS, HANGS, BREAKS, RAISES, PROBES, CATCHES, SLOW, STUCK,
    STUCK_INIT, STUCK_EXIT, SLOW_START, DRAGS,
};

struct Library {
    const wchar_t* file; // lower case
    Behaviour behaviour;
    int count;
    const wchar_t* names[4];
};

const Library kLibraries[] = {
    {L"owner.cpl", NEW_INQUIRE, 1, {L"Owner Information"}},
    {L"system.cpl", NEW_INQUIRE, 4, {L"About", L"Memory", L"Backlight", L"Power"}},
    {L"connect.cpl", NEW_INQUIRE, 3, {L"Connections", L"Beam", L"Connections"}},
    {L"input.cpl", NEW_INQUIRE, 3, {L"Input", L"", L"Menus"}},
    {L"legacy.cpl", INQUIRE_ONLY, 1, {L"Legacy"}},
    {L"broken.cpl", FAILS_INIT, 1, {L"Broken"}},
    {L"liar.cpl", LIES, 100000, {L"Liar"}},
    {L"region.cpl", NEW_INQUIRE, 1, {L"Regional Settings"}},
    {L"crash.cpl", FAULTS, 2, {L"Before the fault", L"Never seen"}},
    {L"hang.cpl", HANGS, 2, {L"Before the hang", L"Never seen"}},
    {L"breakpoint.cpl", BREAKS, 2, {L"Before the breakpoint", L"Never seen"}},
    {L"raise.cpl", RAISES, 2, {L"Before the exception", L"Never seen"}},
    {L"probe.cpl", PROBES, 2, {L"Probed once", L"Probed twice"}},
    {L"catch.cpl", CATCHES, 2, {L"Caught once", L"Caught twice"}},
    {L"slow.cpl", SLOW, 1, {L"Slow but sure"}},
    {L"stuck.cpl", STUCK, 1, {L"Never seen"}},
    {L"stuckhelper.dll", STUCK, 1, {L"Never seen"}},
    {L"stuckinit.cpl", STUCK_INIT, 1, {L"Never seen"}},
    {L"stuckexit.cpl", STUCK_EXIT, 1, {L"Late"}},
    {L"slowstart.cpl", SLOW_START, 1, {L"Slow to start"}},
    {L"drag.cpl", DRAGS, 12, {L"Dragging"}},
};

enum {
    SLOW_ANSWER_MS = 2600,
    LATE_ANSWER_MS = 7000, // past the picker's limit for one call
    SLOW_START_MS = 8000,
    DRAG_MS = 1500,
};

// A library this one loads: its own copy in \windows, found by the system's search.
void LoadStuckHelper() { LoadLibraryW(L"stuckhelper.dll"); }

enum { SOFTWARE_EXCEPTION = 0xE0564E54 };

void WriteNowhere(void*)
{
    volatile int* nowhere = nullptr;
    *nowhere = 1;
}
void RaiseSoftwareException(void*) { RaiseException(SOFTWARE_EXCEPTION, 0, 0, nullptr); }

// What a careful library does before it answers: probes memory, and guards its own
// risky work with a handler of its own. Both exceptions end inside the library.
void GuardItself(Behaviour behaviour)
{
    if (behaviour == PROBES) {
        IsBadReadPtr((const void*)16, 4);
    } else if (behaviour == CATCHES) {
        CeCallGuarded(WriteNowhere, nullptr, nullptr);
        CeCallGuarded(RaiseSoftwareException, nullptr, nullptr);
    }
}
const Library kAnyOther = {L"", NEW_INQUIRE, 1, {L"Sample Applet"}};

const Library* s_library = &kAnyOther;
// Plain icons: a warning sign would make an ordinary applet look broken.
const LPCWSTR kIcons[] = {IDI_APPLICATION, IDI_INFORMATION, IDI_QUESTION};

void KnowOwnName(HMODULE self)
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(self, path, MAX_PATH);
    path[MAX_PATH - 1] = 0;
    const wchar_t* name = wcsrchr(path, L'\\');
    name = name ? name + 1 : path;
    wchar_t lower[MAX_PATH] = {};
    for (int i = 0; name[i] && i < MAX_PATH - 1; ++i)
        lower[i] = (wchar_t)towlower(name[i]);
    for (const Library& library : kLibraries)
        if (wcscmp(lower, library.file) == 0)
            s_library = &library;
}

} // namespace

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        KnowOwnName(self);
        if (s_library->behaviour == STUCK)
            Sleep(INFINITE);
        if (s_library->behaviour == SLOW_START)
            Sleep(SLOW_START_MS);
    }
    return TRUE;
}

extern "C" __declspec(dllexport) LONG APIENTRY CPlApplet(HWND, UINT message, LPARAM first, LPARAM second)
{
    const Library& library = *s_library;
    if (library.behaviour == DRAGS)
        Sleep(DRAG_MS);
    switch (message) {
    case CPL_INIT:
        if (library.behaviour == STUCK_INIT)
            LoadStuckHelper();
        return library.behaviour == FAILS_INIT ? 0 : 1;
    case CPL_GETCOUNT:
        GuardItself(library.behaviour);
        if (library.behaviour == SLOW)
            Sleep(SLOW_ANSWER_MS);
        return library.count;
    case CPL_INQUIRE: {
        CPLINFO* info = (CPLINFO*)second;
        if (info && first >= 0 && first < library.count) {
            info->idIcon = info->idName = info->idInfo = 1;
            info->lData = first;
        }
        return 0;
    }
    case CPL_NEWINQUIRE: {
        NEWCPLINFOW* info = (NEWCPLINFOW*)second;
        if (!info || first < 0 || first >= library.count || library.behaviour == INQUIRE_ONLY)
            return 1;
        if (library.behaviour == FAULTS && first == 1) {
            volatile int* nowhere = nullptr;
            *nowhere = 1;
        }
        if (library.behaviour == HANGS && first == 1)
            Sleep(INFINITE);
        if (library.behaviour == BREAKS && first == 1)
            DebugBreak();
        if (library.behaviour == RAISES && first == 1)
            RaiseSoftwareException(nullptr);
        GuardItself(library.behaviour);
        if (library.behaviour == SLOW)
            Sleep(SLOW_ANSWER_MS);
        if (library.behaviour == STUCK_EXIT)
            Sleep(LATE_ANSWER_MS);
        if (library.behaviour == LIES) {
            // Every character of the name field used, no terminator.
            for (size_t i = 0; i < ARRAYSIZE(info->szName); ++i)
                info->szName[i] = L"Liar "[i % 5];
        } else {
            // Applets past the names given share the first one's.
            const wchar_t* name = first < 4 && library.names[first] ? library.names[first] : library.names[0];
            wcsncpy(info->szName, name ? name : L"", ARRAYSIZE(info->szName) - 1);
        }
        info->hIcon = LoadIconW(nullptr, kIcons[first % ARRAYSIZE(kIcons)]);
        info->lData = first;
        return 0;
    }
    case CPL_EXIT:
        if (library.behaviour == STUCK_EXIT)
            LoadStuckHelper();
        return 0;
    case CPL_DBLCLK:
    case CPL_STOP:
        return 0;
    }
    return 0;
}
#endif
