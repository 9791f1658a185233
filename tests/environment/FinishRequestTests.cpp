#include "environment/FinishRequest.h"

#include <gtest/gtest.h>

namespace
{
using Bytes = std::vector<std::uint8_t>;

// The 524-byte record: tag, then the two 260-byte path fields; cut or padded with 'z' to size.
Bytes Record(const std::string& source, const std::string& target, std::uint32_t tag = 524, std::size_t size = 524)
{
    Bytes bytes(524, 0);
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<std::uint8_t>(tag >> (8 * i));
    std::copy(source.begin(), source.end(), bytes.begin() + 4);
    std::copy(target.begin(), target.end(), bytes.begin() + 264);
    bytes.resize(size, 'z');
    return bytes;
}

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
        {"empty", Record("a", "b", 524, 0), "Ignore"}, {"the tag alone", Record("a", "b", 524, 4), "Ignore"},
        {"one byte short", Record("a", "b", 524, 523), "Ignore"}, {"tag 523", Record("a", "b", 523), "Ignore"},
        {"tag 525", Record("a", "b", 525), "Ignore"}, {"tag 1316", Record("a", "b", 1316, 1316), "Ignore"},
        {"byte 2", Record("a", "b", 524 + (1u << 8)), "Ignore"}, {"byte 3", Record("a", "b", 524 + (1u << 16)), "Ignore"},
        {"byte 4", Record("a", "b", 524 + (1u << 24)), "Ignore"}, {"bit 31", Record("a", "b", 524 + (1u << 31)), "Ignore"},
        {"source without NUL", Record(full, "b"), "Refuse 206"}, {"destination too", Record("a", full), "Refuse 206"},
        {"neither with a NUL", Record(full, full), "Refuse 206"}, {"empty source", Record("", "b"), "Refuse 87"},
        {"empty destination", Record("a", ""), "Refuse 87"}, {"both empty", Record("", ""), "Refuse 87"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Decided(row.payload), row.decided) << row.name;
}

// The code pages among 932, 1252 and 936 under which two paths are the same: whole characters,
// single-byte letters and cp932's full-width Latin, Greek and Cyrillic letters fold, nothing else.
TEST(SamePathIgnoringCase, ByCodePage)
{
    const char* all = "932 1252 936 ";
    struct { std::string first, second; const char* same; } const rows[] = {
        {"C:\\Dir\\File.TXT", "c:\\dir\\file.txt", all}, {"az", "AZ", all}, {"", "", all}, {"a.txt", "b.txt", ""},
        {"a.txt", "a.txt2", ""}, {"a.txt2", "a.txt", ""}, {"@", "`", ""}, {"[", "{", ""}, // neighbours of letters
        // cp932 full-width a-z (82 81-9A), Greek (83 BF-D6), Cyrillic (84 70-7E, 84 80-91) and one past.
        {"\x82\x81", "\x82\x60", "932 "}, {"\x82\x9A", "\x82\x79", "932 "}, {"\x82\x80", "\x82\x5F", ""},
        {"\x82\x9B", "\x82\x7A", ""}, {"\x83\xBF", "\x83\x9F", "932 "}, {"\x83\xD6", "\x83\xB6", "932 "},
        {"\x83\xBE", "\x83\x9E", ""}, {"\x83\xD7", "\x83\xB7", ""}, {"\x84\x70", "\x84\x40", "932 "},
        {"\x84\x7E", "\x84\x4E", "932 "}, {"\x84\x6F", "\x84\x3F", ""}, {"\x84\x7F", "\x84\x4F", ""},
        {"\x84\x7F", "\x84\x4E", ""}, {"\x84\x80", "\x84\x4F", "932 "}, {"\x84\x91", "\x84\x60", "932 "},
        {"\x84\x92", "\x84\x61", ""},
        // Trail bytes that look like letters do not fold; a trail byte 0x5C is no separator.
        {"C:\\\x83\x41", "C:\\\x83\x61", "1252 "}, {"\x81\x41", "\x81\x61", "1252 "},
        {"C:\\\x95\x5C\\Ab", "c:\\\x95\x5C\\aB", all}, {"C:\\\x95\x5C", "C:\\\x95\x7C", ""},
        {"a\x95", "A\x95", all}, {"\x95x", "\x95X", "1252 "}, // a lead byte alone at the end; one that takes x
        {"\xA3\xC1", "\xA3\xE1", ""}, {"\xA3\xC1z", "\xA3\xC1Z", all},
    };
    for (const auto& row : rows)
    {
        std::string same;
        for (unsigned page : {932u, 1252u, 936u})
            same += SamePathIgnoringCase(row.first, row.second, page) ? std::to_string(page) + " " : "";
        EXPECT_EQ(same, row.same) << row.first << " " << row.second;
    }
}
} // namespace
