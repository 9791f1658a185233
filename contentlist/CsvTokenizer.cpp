#include "contentlist/CsvTokenizer.h"

#include "contentlist/CharStep.h"

#include <cstring>

namespace
{
constexpr char kSeparator = ',';
constexpr char kQuote = '"';

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Blanks are single bytes below every lead byte, so stripping them bytewise never splits a character.
std::size_t LeadingBlanks(const std::string& text, std::size_t from, std::size_t to)
{
    std::size_t pos = from;
    while (pos < to && IsBlank(text[pos]))
        ++pos;
    return pos - from;
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

// A field is the stretch of the line from its start up to a separator at which the quotes seen so
// far are balanced, or up to the end of the line. Counting quotes piece by piece gives the same
// answer as recounting the joined field, without the quadratic cost on long lines.
bool CCsvTokenizer::Split(std::vector<std::string>& fields) const
{
    fields.clear();
    if (m_bEmpty)
        return false;
    const std::string& line = m_strLine;
    const std::size_t length = line.size();
    std::size_t fieldStart = 0;
    std::size_t quotes = 0;
    std::size_t pos = 0;
    for (;;)
    {
        std::size_t end = pos;
        while (end < length && line[end] != kSeparator)
        {
            if (line[end] == kQuote)
                ++quotes;
            end += CharStep(m_codePage, line, end);
        }
        if (quotes % 2 == 0 || end == length)
        {
            std::size_t skip = m_bTrim ? LeadingBlanks(line, fieldStart, end) : 0;
            std::string field(line, fieldStart + skip, end - fieldStart - skip);
            Unquote(field);
            fields.push_back(std::move(field));
            fieldStart = end + 1;
            quotes = 0;
        }
        if (end >= length)
            return true;
        pos = end + 1;
    }
}

// Pairs form greedily from the left: a quote followed by another quote keeps one of the two, any
// other quote goes. One pass, moving the runs between quotes down in place.
void CCsvTokenizer::Unquote(std::string& field) const
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
        while (end < size && field[end] != kQuote)
            end += CharStep(m_codePage, field, end);
        if (write != read)
            std::memmove(&field[write], &field[read], end - read);
        write += end - read;
        read = end;
    }
    field.resize(write);
}
