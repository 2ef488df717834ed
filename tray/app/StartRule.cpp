#include "app/Startup.h"
#include "protocol/InstallContract.h"
#include <wchar.h>

bool MayStart(DWORD autostart, const WCHAR* commandLine)
{
    return autostart != 0 || (commandLine && _wcsicmp(commandLine, kProgramArgument) == 0);
}
