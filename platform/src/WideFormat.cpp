// Wide formatted output with the device C runtime's meaning: in a wide format, %s
// takes a UTF-16 text. The C++ runtime of this toolchain switches the wide printf
// family to ISO behaviour (%s takes a narrow text), so the platform layer calls the
// Microsoft runtime's own exports, named as the linker knows them: with the
// processor's prefix for C symbols (an underscore on 32-bit x86, none on x86_64).
#include "ce_device_api.h"

#define RUNTIME_PREFIX_TEXT(prefix) #prefix
#define RUNTIME_PREFIX(prefix) RUNTIME_PREFIX_TEXT(prefix)
#define RUNTIME_SYMBOL(name) RUNTIME_PREFIX(__USER_LABEL_PREFIX__) name

extern "C" int __cdecl MsvcrtVsnwprintf(wchar_t*, size_t, const wchar_t*, va_list) __asm__(RUNTIME_SYMBOL("_vsnwprintf"));
extern "C" int __cdecl MsvcrtVfwprintf(FILE*, const wchar_t*, va_list) __asm__(RUNTIME_SYMBOL("vfwprintf"));

int __cdecl CeVsnwprintf(wchar_t* buffer, size_t count, const wchar_t* format, va_list args)
{
    return MsvcrtVsnwprintf(buffer, count, format, args);
}

int __cdecl CeSnwprintf(wchar_t* buffer, size_t count, const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    int n = MsvcrtVsnwprintf(buffer, count, format, args);
    va_end(args);
    return n;
}

int __cdecl CeVfwprintf(FILE* file, const wchar_t* format, va_list args)
{
    return MsvcrtVfwprintf(file, format, args);
}

int __cdecl CeFwprintf(FILE* file, const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    int n = MsvcrtVfwprintf(file, format, args);
    va_end(args);
    return n;
}
