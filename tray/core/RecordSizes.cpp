// The records that the program hands to other libraries and processes keep the
// sizes they have on the device, a machine with 32-bit pointers: a record of
// another size would be read wrongly by the device's own code. Checked wherever
// pointers are 32 bits wide (the 32-bit and ARM builds of this project); the
// program's own formats are checked everywhere.
#include <aygshell.h>
#include <commctrl.h>
#include <cpl.h>
#include <msgqueue.h>
#include <pm.h>
#include <stddef.h>
#include "core/Settings.h"
#include "protocol/DriverProtocol.h"

#define DEVICE_SIZE(expression, bytes)                                                                              \
    static_assert(sizeof(void*) != 4 || (expression) == (bytes), #expression " must be " #bytes " on the device")

// Applet libraries (CPlApplet).
DEVICE_SIZE(sizeof(NEWCPLINFOW), 468);
DEVICE_SIZE(sizeof(CPLINFO), 16);
// The common controls: tree, tab strip and their notices.
DEVICE_SIZE(sizeof(TVITEMW), 40);
DEVICE_SIZE(offsetof(TVINSERTSTRUCTW, item), 8);
DEVICE_SIZE(sizeof(TVHITTESTINFO), 16);
DEVICE_SIZE(sizeof(NMHDR), 12);
DEVICE_SIZE(sizeof(NMTREEVIEWW), 104);
DEVICE_SIZE(offsetof(NMTREEVIEWW, itemNew), 56);
DEVICE_SIZE(sizeof(TCITEMW), 28);
// The shell: soft-key bar, activation, tray icon, launches.
DEVICE_SIZE(sizeof(SHMENUBARINFO), 36);
DEVICE_SIZE(sizeof(SHACTIVATEINFO), 12);
DEVICE_SIZE(NOTIFYICONDATAW_V1_SIZE, 152);
DEVICE_SIZE(sizeof(SHELLEXECUTEINFOW), 60);
// Power notifications through a message queue.
DEVICE_SIZE(sizeof(MSGQUEUEOPTIONS), 20);
DEVICE_SIZE(offsetof(POWER_BROADCAST, SystemPowerState), 12);
// The driver's thread messages carry 32-bit words.
DEVICE_SIZE(sizeof(WPARAM), 4);
DEVICE_SIZE(sizeof(LPARAM), 4);

// The program's own formats, the same on every machine: a driver word is read as 32
// bits, and a button's text is stored as its whole 510-byte field.
static_assert(sizeof(DriverWord(WPARAM())) == 4 && sizeof(DriverWord(LPARAM())) == 4, "driver words are 32 bits");
static_assert(sizeof(ButtonEntry().Param1) == 510 && sizeof(ButtonEntry().Param2) == 510,
              "a button's texts are stored as 510-byte fields");
static_assert(sizeof(SettingsRecord().Speed) == 4, "numeric settings are stored as REG_DWORD");
