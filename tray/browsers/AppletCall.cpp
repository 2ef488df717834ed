// The guarded call into an applet library: the platform's guard stands for the
// compiler's __try/__except, so an exception the library leaves unhandled, of any
// kind, ends the call rather than the program.
#include "browsers/AppletCall.h"
#include <ce_guarded_call.h>

namespace {

struct AppletCallFrame {
    APPLET_PROC entry;
    HWND window;
    UINT message;
    LPARAM first, second;
    LONG result;
};

void CallEntry(void* data)
{
    AppletCallFrame& call = *(AppletCallFrame*)data;
    call.result = call.entry(call.window, call.message, call.first, call.second);
}

} // namespace

bool CallApplet(APPLET_PROC entry, HWND window, UINT message, LPARAM first, LPARAM second, LONG* result,
                DWORD* exceptionCode)
{
    *result = 0;
    *exceptionCode = 0;
    if (!entry)
        return false;
    AppletCallFrame call = {entry, window, message, first, second, 0};
    if (!CeCallGuarded(CallEntry, &call, exceptionCode))
        return false;
    *result = call.result;
    return true;
}
