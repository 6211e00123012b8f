#pragma once
// The Win32 registry functions the program calls, reading HKEY_LOCAL_MACHINE from the Wine
// prefix's system.reg as a 32-bit program sees it, and the C runtime's _stricmp.

#include <cstdint>

#include "app/platform/win32/win_types.h"
#include "app/platform/wine/registry_value_types.h"

inline const HKEY HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(std::uintptr_t{0x80000002u});

// Opens `subKey` of `key` (HKEY_LOCAL_MACHINE or a key opened here). ERROR_SUCCESS and the key
// in *result, ERROR_FILE_NOT_FOUND when no prefix holds it.
LONG RegOpenKeyA(HKEY key, LPCSTR subKey, HKEY* result);

// Enumerates the values of an opened key by index, as Win32 does (both counts in/out; string
// data converted to ANSI with its NULs counted; ERROR_MORE_DATA, ERROR_NO_MORE_ITEMS).
LONG RegEnumValueA(HKEY key, DWORD index, LPSTR name, DWORD* nameChars, DWORD* reserved,
                   DWORD* type, BYTE* data, DWORD* dataBytes);

LONG RegCloseKey(HKEY key);

// Compares after folding ASCII letters to lower case; other bytes compare as they are.
int _stricmp(const char* left, const char* right);
