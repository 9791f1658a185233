#include "framework/CodePage.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace
{
class CSingleByte final : public CCodePage
{
  public:
    bool IsLeadByte(unsigned char) const override { return false; }
    unsigned Utf16Unit(const std::string& text, std::size_t pos) const override
    {
        const unsigned char byte = static_cast<unsigned char>(text[pos]);
        return byte < 0x80 || byte >= 0xA0 ? byte : 0;
    }
};

class CLeadRanges final : public CCodePage
{
  public:
    CLeadRanges(unsigned char first1, unsigned char last1, unsigned char first2, unsigned char last2)
        : m_first1(first1), m_last1(last1), m_first2(first2), m_last2(last2)
    {
    }
    bool IsLeadByte(unsigned char b) const override
    {
        return (b >= m_first1 && b <= m_last1) || (b >= m_first2 && b <= m_last2);
    }
    unsigned Utf16Unit(const std::string& text, std::size_t pos) const override
    {
        const unsigned char byte = static_cast<unsigned char>(text[pos]);
        return byte < 0x80 ? byte : 0;
    }

  private:
    unsigned char m_first1, m_last1, m_first2, m_last2;
};

#ifdef _WIN32
class CSystem final : public CCodePage
{
  public:
    bool IsLeadByte(unsigned char b) const override { return ::IsDBCSLeadByteEx(CP_ACP, b) != FALSE; }
    // A character that widens to more than one unit, or not at all, has no single unit.
    unsigned Utf16Unit(const std::string& text, std::size_t pos) const override
    {
        wchar_t wide[2] = {};
        const int length = static_cast<int>(CharLength(text, pos));
        if (::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data() + pos, length, wide, 2) != 1)
            return 0;
        return static_cast<unsigned>(wide[0]);
    }
};
#endif
} // namespace

const CCodePage& SingleByteCodePage()
{
    static const CSingleByte page;
    return page;
}

const CCodePage& TableCodePage(unsigned codePage)
{
    static const CLeadRanges shiftJis(0x81, 0x9F, 0xE0, 0xFC);
    static const CLeadRanges wideLead(0x81, 0xFE, 0x81, 0xFE);
    switch (codePage)
    {
    case 932:
        return shiftJis;
    case 936:
    case 949:
    case 950:
        return wideLead;
    default:
        return SingleByteCodePage();
    }
}

#ifdef _WIN32
const CCodePage& SystemCodePage()
{
    static const CSystem page;
    return page;
}
#endif
