#include "environment/FinishRequest.h"

#include <gtest/gtest.h>

namespace
{
using Bytes = std::vector<std::uint8_t>;

// The 524-byte record: tag, then the two 260-byte path fields; cut or padded with 'z' to size.
Bytes Record(const std::string& source, const std::string& destination, std::uint32_t tag = 524,
             std::size_t size = 524)
{
    Bytes bytes(524, 0);
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<std::uint8_t>(tag >> (8 * i));
    std::copy(source.begin(), source.end(), bytes.begin() + 4);
    std::copy(destination.begin(), destination.end(), bytes.begin() + 264);
    bytes.resize(size, 'z');
    return bytes;
}

// "Ignore", "Refuse <error>" or "Place <source>|<destination>".
std::string Decided(const Bytes& payload)
{
    DecodedFinishRequest decoded = DecodeFinishRequest(payload);
    if (decoded.decision == FinishDecision::Ignore)
        return "Ignore";
    if (decoded.decision == FinishDecision::Refuse)
        return "Refuse " + std::to_string(decoded.refusal) + decoded.request.sourcePath;
    return "Place " + decoded.request.sourcePath + "|" + decoded.request.destinationPath;
}

TEST(DecodeFinishRequest, Decisions)
{
    const std::string full(260, 'p'), longest(259, 'p');
    struct { const char* name; Bytes payload; std::string decided; } const rows[] = {
        {"whole record", Record("C:\\t\\a.tmp", "D:\\d\\a.txt"), "Place C:\\t\\a.tmp|D:\\d\\a.txt"},
        {"bytes beyond the record", Record("C:\\a", "C:\\b", 524, 700), "Place C:\\a|C:\\b"},
        {"a path ends at its first NUL", Record(longest, std::string("C:\\b\0tail", 9)), "Place " + longest + "|C:\\b"},
        {"empty", Record("C:\\a", "C:\\b", 524, 0), "Ignore"},
        {"the tag alone", Record("C:\\a", "C:\\b", 524, 4), "Ignore"},
        {"one byte short", Record("C:\\a", "C:\\b", 524, 523), "Ignore"},
        {"tag 523", Record("C:\\a", "C:\\b", 523), "Ignore"},
        {"tag 525", Record("C:\\a", "C:\\b", 525), "Ignore"},
        {"a download request's tag", Record("C:\\a", "C:\\b", 1316, 1316), "Ignore"},
        {"tag, second byte", Record("C:\\a", "C:\\b", 524 + (1u << 8)), "Ignore"},
        {"tag, third byte", Record("C:\\a", "C:\\b", 524 + (1u << 16)), "Ignore"},
        {"tag, fourth byte", Record("C:\\a", "C:\\b", 524 + (1u << 24)), "Ignore"},
        {"source without NUL", Record(full, "C:\\b"), "Refuse 206"},
        {"destination without NUL", Record("C:\\a", full), "Refuse 206"},
        {"neither with a NUL", Record(full, full), "Refuse 206"},
        {"empty source", Record("", "C:\\b"), "Refuse 87"},
        {"empty destination", Record("C:\\a", ""), "Refuse 87"},
        {"both empty", Record("", ""), "Refuse 87"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Decided(row.payload), row.decided) << row.name;
}

// Whole characters of the code page; single-byte letters and cp932's full-width Latin, Greek and
// Cyrillic letters fold, no other double-byte character does.
TEST(SamePathIgnoringCase, ByCodePage)
{
    struct { const char* first; const char* second; bool same932, same1252, same936; } const rows[] = {
        {"C:\\Dir\\File.TXT", "c:\\dir\\file.txt", true, true, true}, {"az", "AZ", true, true, true},
        {"", "", true, true, true}, {"C:\\a.txt", "C:\\b.txt", false, false, false},
        {"C:\\a.txt", "C:\\a.txt2", false, false, false}, {"C:\\a.txt2", "C:\\a.txt", false, false, false},
        {"@", "`", false, false, false}, {"[", "{", false, false, false}, // neighbours of the letters
        // cp932 full-width a-z (82 81-9A), Greek (83 BF-D6), Cyrillic (84 70-7E, 84 80-91) and one past.
        {"\x82\x81", "\x82\x60", true, false, false}, {"\x82\x9A", "\x82\x79", true, false, false},
        {"\x82\x80", "\x82\x5F", false, false, false}, {"\x82\x9B", "\x82\x7A", false, false, false},
        {"\x83\xBF", "\x83\x9F", true, false, false}, {"\x83\xD6", "\x83\xB6", true, false, false},
        {"\x83\xBE", "\x83\x9E", false, false, false}, {"\x83\xD7", "\x83\xB7", false, false, false},
        {"\x84\x70", "\x84\x40", true, false, false}, {"\x84\x7E", "\x84\x4E", true, false, false},
        {"\x84\x6F", "\x84\x3F", false, false, false}, {"\x84\x7F", "\x84\x4F", false, false, false},
        {"\x84\x7F", "\x84\x4E", false, false, false}, {"\x84\x80", "\x84\x4F", true, false, false},
        {"\x84\x91", "\x84\x60", true, false, false}, {"\x84\x92", "\x84\x61", false, false, false},
        // Trail bytes that look like letters do not fold; a trail byte 0x5C is no separator.
        {"C:\\\x83\x41.txt", "C:\\\x83\x61.txt", false, true, false}, {"\x81\x41", "\x81\x61", false, true, false},
        {"C:\\\x95\x5C\\Ab", "c:\\\x95\x5C\\aB", true, true, true}, {"C:\\\x95\x5C", "C:\\\x95\x7C", false, false, false},
        {"a\x95", "A\x95", true, true, true}, // a lead byte at the very end stands alone
        {"\x95x", "\x95X", false, true, false}, // a lead byte swallows the letter after it
        {"\xA3\xC1", "\xA3\xE1", false, false, false}, {"\xA3\xC1z", "\xA3\xC1Z", true, true, true},
    };
    for (const auto& row : rows)
    {
        EXPECT_EQ(SamePathIgnoringCase(row.first, row.second, 932), row.same932) << row.first;
        EXPECT_EQ(SamePathIgnoringCase(row.first, row.second, 1252), row.same1252) << row.first;
        EXPECT_EQ(SamePathIgnoringCase(row.first, row.second, 936), row.same936) << row.first;
    }
}
} // namespace
