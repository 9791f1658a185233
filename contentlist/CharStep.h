// Stepping by whole characters on the hot paths of the line format.
#pragma once

#include "framework/CodePage.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

// No ANSI code page has a lead byte below 0x80, so ASCII bytes skip the code-page question; that
// keeps a scan of a typical line free of a call per byte.
inline std::size_t CharStep(const CCodePage& codePage, const std::string& text, std::size_t pos)
{
    return static_cast<unsigned char>(text[pos]) < 0x80 ? 1 : codePage.CharLength(text, pos);
}

// A scan for two ASCII bytes runs through plain text eight bytes at a time; it stops at either
// byte and at every byte from 0x80 on, which may start a double-byte character.
class CStopBytes
{
  public:
    constexpr CStopBytes(char first, char second)
        : m_first(kOnes * static_cast<unsigned char>(first)),
          m_second(kOnes * static_cast<unsigned char>(second)), m_stop()
    {
        for (int byte = 0x80; byte < 0x100; ++byte)
            m_stop[byte] = true;
        m_stop[static_cast<unsigned char>(first)] = true;
        m_stop[static_cast<unsigned char>(second)] = true;
    }

    // The first position from pos on whose byte is a stop byte, or end.
    std::size_t Skip(const char* text, std::size_t pos, std::size_t end) const
    {
        for (; pos + 8 <= end; pos += 8)
        {
            // The lowest flagged byte is the first stop byte: a false flag can only follow a true
            // one. Every target is little-endian, so the lowest byte is the first.
            std::uint64_t word;
            std::memcpy(&word, text + pos, sizeof word);
            const std::uint64_t flags =
                (word & kHighBits) | ZeroByteBits(word ^ m_first) | ZeroByteBits(word ^ m_second);
            if (flags)
                return pos + LowestFlaggedByte(flags);
        }
        while (pos < end && !m_stop[static_cast<unsigned char>(text[pos])])
            ++pos;
        return pos;
    }

  private:
    static constexpr std::uint64_t kOnes = 0x0101010101010101u;
    static constexpr std::uint64_t kHighBits = 0x8080808080808080u;

    static std::uint64_t ZeroByteBits(std::uint64_t word) { return (word - kOnes) & ~word & kHighBits; }

    // The index of the lowest byte whose high bit is set in flags (which is not 0).
    static std::size_t LowestFlaggedByte(std::uint64_t flags)
    {
        std::size_t index = 0;
        while ((flags & 0x80u) == 0)
        {
            flags >>= 8;
            ++index;
        }
        return index;
    }

    std::uint64_t m_first;
    std::uint64_t m_second;
    bool m_stop[256];
};
