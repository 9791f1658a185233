// Stepping through narrow text by whole characters of an ANSI code page, so that the trail byte of
// a double-byte character (0x5C in Shift-JIS) is never taken for a backslash, comma or quote.
// Platform-neutral: the Windows answer and a table-driven answer share one interface.
#pragma once

#include <cstddef>
#include <string>

class CCodePage
{
  public:
    virtual ~CCodePage() = default;
    virtual bool IsLeadByte(unsigned char byte) const = 0;

    // Bytes taken by the character at pos: 2 for a lead byte followed by a non-NUL byte
    // inside the text, else 1 (a lead byte at the very end stands alone, as CharNextExA does).
    std::size_t CharLength(const std::string& text, std::size_t pos) const
    {
        if (pos + 1 < text.size() && IsLeadByte(static_cast<unsigned char>(text[pos])) &&
            text[pos + 1] != '\0')
            return 2;
        return 1;
    }

    // The UTF-16 code unit of the character at pos (CharLength bytes), or 0 where it has none or
    // this page does not know it. Windows compares device names after widening a path, so a byte
    // counts as the character it widens to in this page.
    virtual unsigned Utf16Unit(const std::string& text, std::size_t pos) const = 0;
};

// Single-byte pages (1252 and the like): every byte is a character; it knows the UTF-16 units of
// 1252's ASCII and 0xA0 to 0xFF (the same as Latin-1's).
const CCodePage& SingleByteCodePage();

// The double-byte pages by their lead-byte ranges: 932 (Shift-JIS), 936, 949 and 950.
// Any other number gives the single-byte page. They know the UTF-16 units of ASCII only.
const CCodePage& TableCodePage(unsigned codePage);

#ifdef _WIN32
// The process's ANSI code page as the system answers it.
const CCodePage& SystemCodePage();
#endif
