#include "contentlist/LineFormat.h"

#include "contentlist/CharStep.h"
#include "contentlist/CsvTokenizer.h"

#include <cstring>
#include <limits>
#include <new>
#include <string_view>
#include <vector>

namespace
{
// Lower-cases single-byte ASCII letters only: a character outside ASCII makes ParseNumber fail
// whatever its case, so no other letter changes the outcome.
std::string LowerAscii(const std::string& text, const CCodePage& codePage)
{
    std::string lower = text;
    for (std::size_t pos = 0; pos < lower.size();)
    {
        std::size_t length = CharStep(codePage, lower, pos);
        if (length == 1 && lower[pos] >= 'A' && lower[pos] <= 'Z')
            lower[pos] = static_cast<char>(lower[pos] - 'A' + 'a');
        pos += length;
    }
    return lower;
}

int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Up to eight significant digits, taken as the 32-bit pattern (0xFFFFFFFF is -1).
bool ParseHex(const std::string& digits, std::int32_t& number)
{
    std::uint32_t value = 0;
    std::size_t significant = 0;
    for (char c : digits)
    {
        int digit = HexDigitValue(c);
        if (digit < 0)
            return false;
        if (value != 0 || digit != 0)
            ++significant;
        value = (value << 4) | static_cast<std::uint32_t>(digit);
    }
    if (significant > 8)
        return false;
    number = value <= 0x7FFFFFFFu ? static_cast<std::int32_t>(value) : -static_cast<std::int32_t>(~value) - 1;
    return true;
}

bool ParseDecimal(const std::string& digits, std::int32_t& number)
{
    constexpr std::uint32_t kMax = std::numeric_limits<std::int32_t>::max();
    std::uint32_t value = 0;
    bool inRange = true;
    for (char c : digits)
    {
        if (c < '0' || c > '9')
            return false;
        std::uint32_t digit = static_cast<std::uint32_t>(c - '0');
        if (value > (kMax - digit) / 10)
            inRange = false;
        else
            value = value * 10 + digit;
    }
    if (!inRange)
        return false;
    if (!digits.empty())
        number = static_cast<std::int32_t>(value);
    return true;
}

void AppendField(std::string& line, const char* prefix, const char* text)
{
    line += prefix;
    line.append(text, std::strlen(text));
    line += '"';
}
} // namespace

std::string FormatLineText(const char* key, const ContentRecord& record)
{
    std::string line;
    line.reserve(std::strlen(key) + record.Text1.size() + record.Text2.size() + 32);
    AppendField(line, "\"", key);
    AppendField(line, ",\" ", record.Text1.c_str());
    AppendField(line, ",\" ", record.Text2.c_str());
    AppendField(line, ", \" ", std::to_string(record.Number).c_str());
    line += "\r\n";
    return line;
}

bool FormatLine(const char* key, const ContentRecord* record, char* buffer, std::uint32_t& length)
{
    if (!key || !record)
        return false;
    std::string line;
    try
    {
        line = FormatLineText(key, *record);
    }
    catch (const std::bad_alloc&)
    {
        return false;
    }
    if (line.size() > std::numeric_limits<std::uint32_t>::max())
        return false;
    const std::uint32_t needed = static_cast<std::uint32_t>(line.size());
    const bool fits = !buffer || length >= needed;
    if (buffer && fits)
        std::memcpy(buffer, line.data(), needed);
    length = needed;
    return fits;
}

void StripSpaces(std::string& text, const CCodePage& codePage)
{
    // The end is found by stepping forward: a trail byte is never a space of its own.
    std::size_t end = 0;
    for (std::size_t pos = 0; pos < text.size();)
    {
        std::size_t length = CharStep(codePage, text, pos);
        if (length != 1 || text[pos] != ' ')
            end = pos + length;
        pos += length;
    }
    text.resize(end);
    std::size_t first = 0;
    while (first < text.size() && text[first] == ' ')
        ++first;
    text.erase(0, first);
}

bool ParseNumber(const std::string& text, std::int32_t& number, const CCodePage& codePage)
{
    std::string lower = LowerAscii(text, codePage);
    if (lower.size() >= 3 && lower[0] == '0' && lower[1] == 'x')
        return ParseHex(lower.substr(2), number);
    return ParseDecimal(lower, number);
}

namespace
{
// StripSpaces for a field in which every byte is a character of its own.
std::string_view StripAsciiSpaces(std::string_view text)
{
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    return text;
}

// Field index of a line, unquoted and, for the texts and the number, stripped of spaces.
std::string_view FieldText(std::string_view line, const CsvFieldSlice& slice, bool strip,
                           const CCodePage& codePage, std::string& scratch)
{
    std::string_view text = CCsvTokenizer::Unquoted(line, slice, codePage, scratch);
    if (!strip)
        return text;
    if (text.data() != scratch.data())
        scratch.assign(text.data(), text.size());
    StripSpaces(scratch, codePage);
    return scratch;
}
} // namespace

// For such a line the tokenizer's answer is plain: the texts between the quotes.
bool SliceWrittenLine(std::string_view line, std::string_view (&fields)[4])
{
    static constexpr CStopBytes kQuoteStops('"', '"');
    std::size_t pos = 0;
    for (std::size_t i = 0; i < 4; ++i)
    {
        while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t'))
            ++pos;
        if (pos >= line.size() || line[pos] != '"')
            return false;
        // Two quotes alone are a pair, which stands for one quote: the tokenizer's business.
        const std::size_t end = kQuoteStops.Skip(line.data(), pos + 1, line.size());
        if (end >= line.size() || line[end] != '"' || end == pos + 1)
            return false;
        fields[i] = line.substr(pos + 1, end - pos - 1);
        pos = end + 1;
        if (pos < line.size() ? line[pos] != ',' : i < 3)
            return false;
        ++pos;
    }
    return true;
}
bool ParseLine(const char* line, std::string& key, ContentRecord* record, const CCodePage& codePage)
{
    if (!line || !record)
        return false;
    std::string_view written[4];
    if (SliceWrittenLine(line, written))
    {
        std::int32_t number = record->Number;
        ParseNumber(std::string(StripAsciiSpaces(written[3])), number, codePage);
        record->Text2.assign(StripAsciiSpaces(written[2]));
        record->Text1.assign(StripAsciiSpaces(written[1]));
        record->Number = number;
        key.assign(written[0]);
        return true;
    }
    // A list is parsed line by line on one thread; the slices and the scratch text keep their
    // memory from one line to the next, so a line costs no allocation beyond the texts it yields.
    thread_local std::vector<CsvFieldSlice> slices;
    thread_local std::string scratch;
    const std::string_view text(line);
    if (CCsvTokenizer::Slice(text, true, codePage, slices) < 4)
        return false;

    std::int32_t number = record->Number;
    ParseNumber(std::string(FieldText(text, slices[3], true, codePage, scratch)), number, codePage);
    record->Text2.assign(FieldText(text, slices[2], true, codePage, scratch));
    record->Text1.assign(FieldText(text, slices[1], true, codePage, scratch));
    record->Number = number;
    key.assign(FieldText(text, slices[0], false, codePage, scratch));
    return true;
}
