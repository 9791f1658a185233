#include "environment/FinishRequest.h"

#include <gtest/gtest.h>

namespace
{
using Bytes = std::vector<std::uint8_t>;

void PutUInt32(Bytes& bytes, std::size_t offset, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

Bytes Record(const std::string& source, const std::string& destination, std::uint32_t sizeTag = 524)
{
    Bytes bytes(kFinishRequestSize, 0);
    PutUInt32(bytes, 0, sizeTag);
    std::copy(source.begin(), source.end(), bytes.begin() + 4);
    std::copy(destination.begin(), destination.end(), bytes.begin() + 264);
    return bytes;
}

TEST(DecodeFinishRequest, WholeRecordGivesBothPaths)
{
    DecodedFinishRequest decoded = DecodeFinishRequest(Record("C:\\t\\a.tmp", "D:\\d\\a.txt"));
    ASSERT_EQ(decoded.decision, FinishDecision::Place);
    EXPECT_EQ(decoded.request.sourcePath, "C:\\t\\a.tmp");
    EXPECT_EQ(decoded.request.destinationPath, "D:\\d\\a.txt");
}

TEST(DecodeFinishRequest, ShortPayloadIsIgnoredWhateverItsTag)
{
    Bytes whole = Record("C:\\a", "C:\\b");
    for (std::size_t size : {0u, 1u, 3u, 4u, 263u, 264u, 523u})
    {
        Bytes payload(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_EQ(DecodeFinishRequest(payload).decision, FinishDecision::Ignore) << size;
    }
}

TEST(DecodeFinishRequest, OnlyTag524IsAccepted)
{
    for (std::uint32_t tag : {0u, 523u, 525u, 1316u, 0x0C020000u, 0xFFFFFFFFu})
        EXPECT_EQ(DecodeFinishRequest(Record("C:\\a", "C:\\b", tag)).decision, FinishDecision::Ignore) << tag;
    // A download request's record, tag and length alike, under command 3.
    Bytes download(1316, 'x');
    PutUInt32(download, 0, 1316);
    EXPECT_EQ(DecodeFinishRequest(download).decision, FinishDecision::Ignore);
}

TEST(DecodeFinishRequest, BytesBeyondTheRecordAreIgnored)
{
    Bytes payload = Record("C:\\a", "C:\\b");
    payload.resize(700, 'z');
    DecodedFinishRequest decoded = DecodeFinishRequest(payload);
    ASSERT_EQ(decoded.decision, FinishDecision::Place);
    EXPECT_EQ(decoded.request.destinationPath, "C:\\b");
}

TEST(DecodeFinishRequest, PathEndsAtItsFirstTerminator)
{
    std::string longest(259, 'p');
    Bytes payload = Record(longest, std::string("C:\\b\0stale tail", 15));
    DecodedFinishRequest decoded = DecodeFinishRequest(payload);
    ASSERT_EQ(decoded.decision, FinishDecision::Place);
    EXPECT_EQ(decoded.request.sourcePath, longest);
    EXPECT_EQ(decoded.request.destinationPath, "C:\\b");
}

TEST(DecodeFinishRequest, FieldWithoutTerminatorIsRefusedAsTooLong)
{
    std::string full(260, 'p');
    for (const Bytes& payload : {Record(full, "C:\\b"), Record("C:\\a", full), Record(full, full)})
    {
        DecodedFinishRequest decoded = DecodeFinishRequest(payload);
        EXPECT_EQ(decoded.decision, FinishDecision::Refuse);
        EXPECT_EQ(decoded.refusal, kErrorFilenameExcedRange);
        EXPECT_TRUE(decoded.request.sourcePath.empty());
    }
    // The unterminated source must not run on into the destination's field.
    Bytes payload = Record(full, "C:\\b");
    payload.resize(kFinishRequestSize);
    EXPECT_EQ(DecodeFinishRequest(payload).decision, FinishDecision::Refuse);
}

TEST(DecodeFinishRequest, EmptyPathIsRefused)
{
    for (const Bytes& payload : {Record("", "C:\\b"), Record("C:\\a", ""), Record("", "")})
    {
        DecodedFinishRequest decoded = DecodeFinishRequest(payload);
        EXPECT_EQ(decoded.decision, FinishDecision::Refuse);
        EXPECT_EQ(decoded.refusal, kErrorInvalidParameter);
    }
}

struct PathPair
{
    const char* first;
    const char* second;
    bool same932;
    bool same1252;
};

TEST(SamePathIgnoringCase, ComparesWholeCharactersOfTheCodePage)
{
    const PathPair cases[] = {
        {"C:\\Dir\\File.TXT", "c:\\dir\\file.txt", true, true},
        {"", "", true, true},
        {"C:\\a.txt", "C:\\b.txt", false, false},
        {"C:\\a.txt", "C:\\a.txt2", false, false},
        {"C:\\a.txt2", "C:\\a.txt", false, false},
        {"C:\\d\\..\\a.txt", "C:\\a.txt", false, false}, // no normalisation
        {"C:\\@", "C:\\`", false, false},                // neighbours of the letters
        {"C:\\[", "C:\\{", false, false},
        // cp932 katakana A (83 41) and DI (83 61): trail bytes that look like 'A' and 'a'.
        {"C:\\\x83\x41.txt", "C:\\\x83\x61.txt", false, true},
        // Full-width a (82 81) and A (82 60) are one letter in two cases.
        {"C:\\\x82\x81.txt", "C:\\\x82\x60.txt", true, false},
        // Greek alpha and Alpha; Cyrillic a/A, o/O (after the gap at 84 7F) and ya/YA.
        {"\x83\xBF", "\x83\x9F", true, false},
        {"\x84\x70", "\x84\x40", true, false},
        {"\x84\x80", "\x84\x4F", true, false},
        {"\x84\x91", "\x84\x60", true, false},
        {"\x84\x7F", "\x84\x4F", false, false},
        // A trail byte 0x5C is no separator and the letters after it still fold.
        {"C:\\\x95\x5C\\Ab", "c:\\\x95\x5C\\aB", true, true},
        {"C:\\\x95\x5C", "C:\\\x95\x7C", false, false},
        // A lead byte at the very end stands alone.
        {"a\x95", "A\x95", true, true},
        // A lead byte swallows the letter after it, which then does not fold.
        {"\x95x", "\x95X", false, true},
    };
    for (const PathPair& pair : cases)
    {
        EXPECT_EQ(SamePathIgnoringCase(pair.first, pair.second, 932), pair.same932) << pair.first;
        EXPECT_EQ(SamePathIgnoringCase(pair.first, pair.second, 1252), pair.same1252) << pair.first;
    }
}

TEST(SamePathIgnoringCase, OtherDoubleByteCharactersMatchExactly)
{
    // GBK's full-width A and a: not folded, so two names are never taken for one.
    EXPECT_FALSE(SamePathIgnoringCase("\xA3\xC1", "\xA3\xE1", 936));
    EXPECT_TRUE(SamePathIgnoringCase("\xA3\xC1z", "\xA3\xC1Z", 936));
    // Its trail byte 0x61 is no letter 'a' either.
    EXPECT_FALSE(SamePathIgnoringCase("\x81\x41", "\x81\x61", 936));
}
} // namespace
