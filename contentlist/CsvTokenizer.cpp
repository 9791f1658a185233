#include "contentlist/CsvTokenizer.h"

#include "contentlist/CharStep.h"

#include <cstring>

namespace
{
constexpr char kSeparator = ',';
constexpr char kQuote = '"';
constexpr CStopBytes kFieldStops(kSeparator, kQuote);
constexpr CStopBytes kQuoteStops(kQuote, kQuote);

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Blanks are single bytes below every lead byte, so stripping them bytewise never splits a character.
std::size_t LeadingBlanks(std::string_view text, std::size_t from, std::size_t to)
{
    std::size_t pos = from;
    while (pos < to && IsBlank(text[pos]))
        ++pos;
    return pos - from;
}

// The character length at pos; ASCII bytes never start a double-byte character.
std::size_t Step(const CCodePage& codePage, std::string_view text, std::size_t pos)
{
    if (static_cast<unsigned char>(text[pos]) < 0x80)
        return 1;
    return pos + 1 < text.size() && codePage.IsLeadByte(static_cast<unsigned char>(text[pos])) &&
                   text[pos + 1] != '\0'
               ? 2
               : 1;
}

void UnquoteField(const CCodePage& codePage, std::string& field)
{
    if (std::memchr(field.data(), kQuote, field.size()) == nullptr)
        return;
    const std::size_t size = field.size();
    std::size_t write = 0;
    for (std::size_t read = 0; read < size;)
    {
        if (field[read] == kQuote)
        {
            const bool pair = read + 1 < size && field[read + 1] == kQuote;
            if (pair)
                field[write++] = kQuote;
            read += pair ? 2 : 1;
            continue;
        }
        std::size_t end = read;
        for (;;)
        {
            end = kQuoteStops.Skip(field.data(), end, size);
            if (end >= size || field[end] == kQuote)
                break;
            end += CharStep(codePage, field, end);
        }
        if (write != read)
            std::memmove(&field[write], &field[read], end - read);
        write += end - read;
        read = end;
    }
    field.resize(write);
}
} // namespace

bool CCsvTokenizer::SetLine(const char* text)
{
    if (!text || !*text)
    {
        m_bEmpty = true;
        return true;
    }
    m_strLine = text;
    if (m_bTrim)
    {
        m_strLine.erase(0, LeadingBlanks(m_strLine, 0, m_strLine.size()));
        if (m_strLine.empty())
        {
            m_bEmpty = true;
            return true;
        }
    }
    m_bEmpty = false;
    return true;
}

bool CCsvTokenizer::Split(std::vector<std::string>& fields) const
{
    fields.clear();
    if (m_bEmpty)
        return false;
    std::vector<CsvFieldSlice> slices;
    const std::size_t count = Slice(m_strLine, m_bTrim, m_codePage, slices);
    std::string scratch;
    for (std::size_t i = 0; i < count; ++i)
        fields.emplace_back(Unquoted(m_strLine, slices[i], m_codePage, scratch));
    return count != 0;
}

// A field is the stretch of the line from its start up to a separator at which the quotes seen so
// far are balanced, or up to the end of the line. Counting quotes piece by piece gives the same
// answer as recounting the joined field, without the quadratic cost on long lines.
std::size_t CCsvTokenizer::Slice(std::string_view line, bool trim, const CCodePage& codePage,
                                 std::vector<CsvFieldSlice>& slices)
{
    const std::size_t offset = trim ? LeadingBlanks(line, 0, line.size()) : 0;
    line.remove_prefix(offset);
    if (line.empty())
        return 0;
    const std::size_t length = line.size();
    std::size_t count = 0;
    std::size_t fieldStart = 0;
    CsvFieldSlice current;
    std::size_t pos = 0;
    for (;;)
    {
        std::size_t end = pos;
        for (;;)
        {
            end = kFieldStops.Skip(line.data(), end, length);
            if (end >= length || line[end] == kSeparator)
                break;
            if (line[end] == kQuote)
            {
                ++current.quotes;
                ++end;
                continue;
            }
            end += Step(codePage, line, end);
        }
        if (current.quotes % 2 == 0 || end == length)
        {
            current.begin = offset + fieldStart + (trim ? LeadingBlanks(line, fieldStart, end) : 0);
            current.end = offset + end;
            if (count == slices.size())
                slices.emplace_back();
            slices[count++] = current;
            current = CsvFieldSlice();
            fieldStart = end + 1;
        }
        if (end >= length)
            return count;
        pos = end + 1;
    }
}

std::string_view CCsvTokenizer::Unquoted(std::string_view line, const CsvFieldSlice& slice,
                                         const CCodePage& codePage, std::string& scratch)
{
    std::string_view field = line.substr(slice.begin, slice.end - slice.begin);
    if (slice.quotes == 0)
        return field;
    scratch.assign(field.data(), field.size());
    UnquoteField(codePage, scratch);
    return scratch;
}

// Pairs form greedily from the left: a quote followed by another quote keeps one of the two, any
// other quote goes. One pass, moving the runs between quotes down in place.
void CCsvTokenizer::Unquote(std::string& field) const
{
    UnquoteField(m_codePage, field);
}
