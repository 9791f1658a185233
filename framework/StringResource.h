// Strings of the executable's string table.
#pragma once

#include <windows.h>

#include <string>

// A string-table entry in the language the system's resource lookup selects, converted to
// the ANSI code page; empty when the id has no string.
std::string AfxLoadString(UINT id);
