// Stepping by whole characters on the hot paths of the line format.
#pragma once

#include "framework/CodePage.h"

#include <cstddef>
#include <string>

// No ANSI code page has a lead byte below 0x80, so ASCII bytes skip the code-page question; that
// keeps a scan of a typical line free of a call per byte.
inline std::size_t CharStep(const CCodePage& codePage, const std::string& text, std::size_t pos)
{
    return static_cast<unsigned char>(text[pos]) < 0x80 ? 1 : codePage.CharLength(text, pos);
}
