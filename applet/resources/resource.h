// Resource identifiers of Tessar.cpl.
#pragma once

#define IDI_APPLET        101 // icon group: 16, 32 and 64 pixels
#define IDS_APPLET_NAME   101 // "Vantorix Driver"
#define IDS_APPLET_INFO   102 // "USB Settings"
