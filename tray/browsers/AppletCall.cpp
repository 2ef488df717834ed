// The guarded call into an applet library. A fault inside the library (a bad
// pointer, an illegal instruction, a division by zero) is caught by a vectored
// handler that acts only while this thread is inside such a call, and the thread
// resumes after the call as from a structured exception handler: this compiler
// has no __try/__except, so the handler points the thread at a jump back to the
// register state saved before the call. Nothing between the save and the library
// holds a resource of ours, so nothing is skipped that should have been released.
#include "AppletCall.h"

namespace {

// The jump buffer of the call this thread is in, or null outside one.
thread_local void** t_recovery;

[[noreturn]] void ResumeAfterFault() { __builtin_longjmp(t_recovery, 1); }

bool IsFault(DWORD code)
{
    switch (code) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
    case EXCEPTION_DATATYPE_MISALIGNMENT:
    case EXCEPTION_FLT_DIVIDE_BY_ZERO:
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_IN_PAGE_ERROR:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_PRIV_INSTRUCTION:
        return true;
    }
    return false;
}

LONG CALLBACK OnFault(EXCEPTION_POINTERS* exception)
{
    if (!t_recovery || !IsFault(exception->ExceptionRecord->ExceptionCode))
        return EXCEPTION_CONTINUE_SEARCH;
    // Continue in ResumeAfterFault as if it had been called from the faulting
    // instruction: a return address' worth below a 16-byte aligned stack.
    CONTEXT* context = exception->ContextRecord;
    context->Rsp = ((context->Rsp - 256) & ~(DWORD64)15) - 8;
    context->Rip = (DWORD64)(UINT_PTR)ResumeAfterFault;
    return EXCEPTION_CONTINUE_EXECUTION;
}

// Out of line, so that the saved registers are this frame's own.
__attribute__((noinline)) BOOL GuardedCall(APPLET_PROC entry, HWND window, UINT message, LPARAM first, LPARAM second,
                                           LONG* result)
{
    void* recovery[5];
    if (__builtin_setjmp(recovery)) {
        t_recovery = nullptr;
        *result = 0;
        return FALSE;
    }
    t_recovery = recovery;
    *result = entry(window, message, first, second);
    t_recovery = nullptr;
    return TRUE;
}

} // namespace

BOOL CallApplet(APPLET_PROC entry, HWND window, UINT message, LPARAM first, LPARAM second, LONG* result)
{
    static PVOID handler = AddVectoredExceptionHandler(1, OnFault);
    *result = 0;
    if (!handler || !entry)
        return entry ? (*result = entry(window, message, first, second), TRUE) : FALSE;
    return GuardedCall(entry, window, message, first, second, result);
}
