// Direct access to the program's registry key, for arranging and checking tests.
#pragma once
#include <windows.h>
#include <string>
#include "DeviceKit.h"

void DeleteAppKey();
void SetDword(const wchar_t* name, DWORD value);
void SetText(const wchar_t* name, const std::wstring& text);
void SetRaw(const wchar_t* name, DWORD type, const void* data, DWORD bytes);
bool HasValue(const wchar_t* name);
DWORD GetDword(const wchar_t* name, DWORD fallback = 0xDEADBEEF);
std::wstring GetText(const wchar_t* name);
DWORD GetValueSize(const wchar_t* name); // bytes; 0 when absent
