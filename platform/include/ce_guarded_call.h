// A call guarded as by structured exception handling: on the device the caller's
// compiler writes it as __try { routine(context); } __except (EXCEPTION_EXECUTE_HANDLER),
// and the platform's own mechanism stands in for that here. Used where the program
// calls another vendor's code (applet libraries).
#pragma once
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef void (*CE_GUARDED_ROUTINE)(void* context);

// Calls routine(context). The routine's own handlers see every exception first, as
// they do on the device: an exception that they handle (a probe of memory that
// fails, an exception raised and caught) is theirs alone. One that they leave
// unhandled, of any kind, ends the call instead of the program: its frames are
// unwound, *exceptionCode (when given) receives its code and the result is FALSE.
// TRUE when the routine returned.
BOOL WINAPI CeCallGuarded(CE_GUARDED_ROUTINE routine, void* context, DWORD* exceptionCode);

#ifdef __cplusplus
}
#endif
