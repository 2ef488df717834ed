// Where the HTML viewer's source comes from when it is given an address: the file
// behind a "file://" address, read from disk. Internal to the platform layer.
#pragma once
#include <windows.h>

// The file path of a "file://PATH" address (also "file:///C:/...", a bare path, or
// one with %XX escapes); '#' and '?' parts are dropped. False for other schemes, an
// empty path or one longer than MAX_PATH - 1.
bool HtmlFilePathFromAddress(const WCHAR* address, WCHAR path[MAX_PATH]);

// Reads at most HTML_MAX_FILE_BYTES of a page file into `out` (capacity units,
// terminated) as UTF-8, or as Latin-1 when it is not valid UTF-8 (a UTF-16 file with
// its byte-order mark, little- or big-endian, is read as such). Returns the units stored, or -1 when the file
// cannot be read.
int ReadHtmlFile(const WCHAR* path, WCHAR* out, int capacity);
