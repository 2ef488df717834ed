// CeCallGuarded: a frame-based exception handler around one call, so that the
// system's exception dispatch asks the routine's own frames first, as it does for
// the device compiler's __try/__except. Each processor registers frame handlers its
// own way; this file holds the two this build's compilers produce.
#include "ce_guarded_call.h"

#if defined(__x86_64__)

// x64 frames are described by unwind tables, not by a chain on the stack: the
// guard's frame carries a scope table for the C runtime's structured exception
// handler, as a compiler writes one for __try/__except. The scope covers the call;
// its filter (GuardFilter) takes the exception's code and asks for the handler; its
// target is where the guard, the routine's frames unwound, returns FALSE. The code
// is not taken from a register at the target: the unwinder that jumps there is not
// bound to hand it over (Wine's hands over 0).
//   BOOL GuardedFrame(routine, context, DWORD* code)
// The frame keeps `code` at 32 bytes above its stack pointer, beyond the home space
// of the routine it calls; the filter finds it there from the frame's address.
enum { GUARD_CODE_SLOT = 32 };
extern "C" BOOL GuardedFrame(CE_GUARDED_ROUTINE routine, void* context, DWORD* code);
extern "C" __attribute__((used)) LONG GuardFilter(EXCEPTION_POINTERS* pointers, void* frame)
{
    DWORD* code = *(DWORD**)((BYTE*)frame + GUARD_CODE_SLOT);
    if (code && pointers && pointers->ExceptionRecord)
        *code = pointers->ExceptionRecord->ExceptionCode;
    return EXCEPTION_EXECUTE_HANDLER;
}
__asm__(R"(
    .text
    .p2align 4
    .def GuardedFrame; .scl 3; .type 32; .endef
    .seh_proc GuardedFrame
GuardedFrame:
    subq $40, %rsp
    .seh_stackalloc 40
    .seh_endprologue
    movq %r8, 32(%rsp)
    movq %rcx, %rax
    movq %rdx, %rcx
.LguardBegin:
    callq *%rax
    nop
.LguardEnd:
    movl $1, %eax
    jmp .LguardReturn
.LguardHandler:
    xorl %eax, %eax
.LguardReturn:
    addq $40, %rsp
    retq
    .seh_handler __C_specific_handler, @except
    .seh_handlerdata
    .long 1
    .rva .LguardBegin, .LguardEnd
    .rva GuardFilter
    .rva .LguardHandler
    .text
    .seh_endproc
)");

BOOL WINAPI CeCallGuarded(CE_GUARDED_ROUTINE routine, void* context, DWORD* exceptionCode)
{
    DWORD code = 0;
    BOOL returned = GuardedFrame(routine, context, &code);
    if (exceptionCode)
        *exceptionCode = returned ? 0 : code;
    return returned;
}

#elif defined(__i386__)

namespace {

// x86 frames register their handlers in a chain that starts in the thread's
// information block and runs through the stack, innermost first. The guard's record
// extends the system's two fields with where to resume.
struct GuardRecord {
    GuardRecord* next;
    void* handler;
    void* resume[5]; // __builtin_setjmp's buffer
    DWORD code;
};

// The chain's head: the first word of the thread's information block, at fs:0.
GuardRecord* ChainHead()
{
    GuardRecord* head;
    __asm__ volatile("movl %%fs:0, %0" : "=r"(head));
    return head;
}
void SetChainHead(GuardRecord* head) { __asm__ volatile("movl %0, %%fs:0" : : "r"(head) : "memory"); }

// Asked only for what the routine's own handlers did not take: the routine's frames
// are unwound (their own clean-up runs), and the guard resumes at its call.
extern "C" EXCEPTION_DISPOSITION __cdecl GuardHandler(EXCEPTION_RECORD* record, void* frame, CONTEXT*, void*)
{
    if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND))
        return ExceptionContinueSearch;
    GuardRecord* guard = (GuardRecord*)frame;
    guard->code = record->ExceptionCode;
    RtlUnwind(frame, nullptr, record, nullptr); // the chain ends at this record again
    __builtin_longjmp(guard->resume, 1);
}

} // namespace

BOOL WINAPI CeCallGuarded(CE_GUARDED_ROUTINE routine, void* context, DWORD* exceptionCode)
{
    GuardRecord guard = {};
    guard.handler = (void*)GuardHandler;
    guard.next = ChainHead();
    SetChainHead(&guard);
    volatile BOOL returned = FALSE;
    if (__builtin_setjmp(guard.resume) == 0) {
        routine(context);
        returned = TRUE;
    }
    SetChainHead(guard.next);
    if (exceptionCode)
        *exceptionCode = returned ? 0 : guard.code;
    return returned;
}

#else

// A processor without a handler of ours here: the plain call.
BOOL WINAPI CeCallGuarded(CE_GUARDED_ROUTINE routine, void* context, DWORD* exceptionCode)
{
    routine(context);
    if (exceptionCode)
        *exceptionCode = 0;
    return TRUE;
}

#endif
