// Shortcuts as the device's shell writes and starts them: a small text file
// "NN#COMMAND", where COMMAND is a program (quoted when it holds blanks) and its
// arguments. Starting a shortcut starts that program with those arguments.
#define CE_DEVICE_NO_NAME_MAPPING
#include "ce_device_files.h"
#include "EmulatedDevice.h"
#include "ScopedWin.h"
#include <wchar.h>

enum {
    SHORTCUT_MAX_BYTES = 1024,       // a larger file is not a shortcut the shell wrote
    SHORTCUT_COMMAND_CHARS = 1024,
    SHORTCUT_MAX_NESTING = 4,        // a shortcut to a shortcut is followed this deep
};

static bool IsBlank(WCHAR c) { return c == L' ' || c == L'\t'; }

BOOL WINAPI CeParseShortcut(const char* text, DWORD bytes, LPWSTR program, DWORD programChars, LPWSTR arguments,
                            DWORD argumentChars)
{
    if (!program || !arguments || programChars == 0 || argumentChars == 0)
        return FALSE;
    program[0] = arguments[0] = 0;
    if (!text || bytes > SHORTCUT_MAX_BYTES)
        return FALSE;
    DWORD at = 0, digits = 0;
    while (at < bytes && text[at] >= '0' && text[at] <= '9' && digits < 5) {
        ++at;
        ++digits;
    }
    if (digits == 0 || digits > 4 || at >= bytes || text[at] != '#')
        return FALSE;
    ++at;
    // The command runs to the end of its line; the count in front is the shell's own
    // note of its length and is not trusted.
    DWORD end = at;
    while (end < bytes && text[end] && text[end] != '\r' && text[end] != '\n')
        ++end;
    WCHAR command[SHORTCUT_COMMAND_CHARS];
    int chars = end > at ? MultiByteToWideChar(CP_ACP, 0, text + at, (int)(end - at), command,
                                                SHORTCUT_COMMAND_CHARS - 1)
                         : 0;
    if (chars <= 0)
        return FALSE;
    command[chars] = 0;

    const WCHAR* p = command;
    while (IsBlank(*p))
        ++p;
    const WCHAR* start = p;
    const WCHAR* stop;
    if (*p == L'"') {
        start = ++p;
        while (*p && *p != L'"')
            ++p;
        if (*p != L'"')
            return FALSE; // an unclosed quote: where the program ends is unknown
        stop = p++;
    } else {
        while (*p && !IsBlank(*p))
            ++p;
        stop = p;
    }
    size_t programLength = (size_t)(stop - start);
    while (IsBlank(*p))
        ++p;
    size_t argumentLength = wcslen(p);
    while (argumentLength > 0 && IsBlank(p[argumentLength - 1]))
        --argumentLength;
    if (programLength == 0 || programLength >= programChars || argumentLength >= argumentChars)
        return FALSE;
    wmemcpy(program, start, programLength);
    program[programLength] = 0;
    wmemcpy(arguments, p, argumentLength);
    arguments[argumentLength] = 0;
    return TRUE;
}

static bool IsShortcutName(LPCWSTR file)
{
    size_t length = file ? wcslen(file) : 0;
    return length >= 4 && _wcsicmp(file + length - 4, L".lnk") == 0;
}

static bool ReadShortcut(LPCWSTR file, char* text, DWORD* bytes)
{
    ScopedHandle handle(CreateFileW(file, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle.IsValid())
        return false;
    LARGE_INTEGER size = {};
    return GetFileSizeEx(handle, &size) && size.QuadPart <= SHORTCUT_MAX_BYTES &&
           ReadFile(handle, text, (DWORD)size.QuadPart, bytes, nullptr) && *bytes == (DWORD)size.QuadPart;
}

static BOOL RefuseLaunch(SHELLEXECUTEINFOW* info, DWORD error)
{
    info->hInstApp = (HINSTANCE)(INT_PTR)(error == ERROR_FILE_NOT_FOUND ? SE_ERR_FNF : SE_ERR_ACCESSDENIED);
    SetLastError(error);
    return FALSE;
}

BOOL WINAPI CeShellExecuteExW(SHELLEXECUTEINFOW* info)
{
    if (!info || !IsShortcutName(info->lpFile))
        return ShellExecuteExW(info);

    WCHAR file[MAX_PATH], parameters[SHORTCUT_COMMAND_CHARS];
    CopyDeviceText(file, MAX_PATH, info->lpFile);
    CopyDeviceText(parameters, SHORTCUT_COMMAND_CHARS, info->lpParameters ? info->lpParameters : L"");
    for (int depth = 0; IsShortcutName(file); ++depth) {
        char text[SHORTCUT_MAX_BYTES];
        DWORD bytes = 0;
        if (depth == SHORTCUT_MAX_NESTING || !ReadShortcut(file, text, &bytes))
            return RefuseLaunch(info, ERROR_FILE_NOT_FOUND);
        WCHAR program[MAX_PATH], arguments[SHORTCUT_COMMAND_CHARS];
        if (!CeParseShortcut(text, bytes, program, MAX_PATH, arguments, SHORTCUT_COMMAND_CHARS))
            return RefuseLaunch(info, ERROR_BAD_FORMAT);
        // The shortcut's own arguments come first, then what the caller added.
        size_t own = wcslen(arguments), added = wcslen(parameters);
        if (own && added) {
            if (own + 1 + added >= SHORTCUT_COMMAND_CHARS)
                return RefuseLaunch(info, ERROR_BAD_FORMAT);
            arguments[own] = L' ';
            wmemcpy(arguments + own + 1, parameters, added + 1);
        }
        if (own)
            CopyDeviceText(parameters, SHORTCUT_COMMAND_CHARS, arguments);
        CopyDeviceText(file, MAX_PATH, program);
    }
    SHELLEXECUTEINFOW target = *info;
    target.lpFile = file;
    target.lpParameters = parameters;
    BOOL started = ShellExecuteExW(&target);
    info->hInstApp = target.hInstApp;
    info->hProcess = target.hProcess;
    return started;
}
