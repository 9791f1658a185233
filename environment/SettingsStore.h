// The assistant's one remembered setting lives in a registry key of its own: under the writable
// root a low-integrity peer shares on Windows Vista and later, else under HKEY_CURRENT_USER.
#pragma once

#include "framework/Handle.h"

#include <windows.h>

#include <string>

// The key's path below its root: "Company\Product" under a writable root, else
// "Software\Company\Product" (below HKEY_CURRENT_USER).
std::string SettingsSubkey(const std::string& companyName, const std::string& productName, bool underRoot);

// Opens, creating it when missing, the settings key below root (null: HKEY_CURRENT_USER).
// Empty on failure; the registry's error is not kept as the last error.
CRegKey OpenSettingsKeyUnder(HKEY root, const char* companyName, const char* productName);

// The settings key below the writable root on Windows Vista and later when the platform gives
// one, else below HKEY_CURRENT_USER; *underRoot, when given, tells which. Null names: empty, last
// error ERROR_INVALID_PARAMETER.
CRegKey OpenSettingsKey(const char* companyName, const char* productName, bool* underRoot = nullptr);

// The settings key below HKEY_CURRENT_USER\Software as it stands, for reading: empty when missing.
CRegKey OpenUserSettingsKeyForReading(const char* companyName, const char* productName);

// 0 when the value exists as REG_BINARY (size then holds its length, data its bytes when given);
// ERROR_INVALID_DATA for another type; else the registry's error (2 missing, 234 too small).
LONG QueryBinaryValue(HKEY key, const char* valueName, BYTE* data, DWORD* size);
