#include "destination/DownloadRequest.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace
{
using namespace downloadrecord;

void PutUInt32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void PutText(std::vector<std::uint8_t>& bytes, std::size_t offset, const std::string& text)
{
    std::memcpy(bytes.data() + offset, text.data(), text.size());
}

// A record with room for `slots` entries, EntryCount = entries.
std::vector<std::uint8_t> Record(std::int32_t entryCount, std::size_t slots)
{
    std::vector<std::uint8_t> bytes(kHeaderSize + slots * kEntrySize, 0);
    PutUInt32(bytes, kSizeTagOffset, 1316);
    PutUInt32(bytes, kEntryCountOffset, static_cast<std::uint32_t>(entryCount));
    PutText(bytes, kCaptionOffset, "Caption");
    PutText(bytes, kListFilePathOffset, "C:\\list.csv");
    for (std::size_t i = 0; i < slots; ++i)
    {
        PutText(bytes, kHeaderSize + i * kEntrySize + kFileNameOffset, "file" + std::to_string(i));
        PutText(bytes, kHeaderSize + i * kEntrySize + kListKeyOffset, "key" + std::to_string(i));
    }
    return bytes;
}

DownloadRequestStatus StatusOf(const std::vector<std::uint8_t>& bytes)
{
    return DecodeDownloadRequest(bytes.data(), bytes.size()).status;
}

TEST(DownloadRequestDecode, ReadsEveryField)
{
    std::vector<std::uint8_t> bytes = Record(2, 2);
    PutText(bytes, 8, "peer's own bytes");
    DecodedDownloadRequest decoded = DecodeDownloadRequest(bytes.data(), bytes.size());
    ASSERT_EQ(decoded.status, DownloadRequestStatus::Decoded);
    EXPECT_EQ(decoded.request.entryCount, 2);
    EXPECT_EQ(decoded.request.caption, "Caption");
    EXPECT_EQ(decoded.request.listFilePath, "C:\\list.csv");
    ASSERT_EQ(decoded.request.entries.size(), 2u);
    EXPECT_EQ(decoded.request.entries[1].fileName, "file1");
    EXPECT_EQ(decoded.request.entries[1].listKey, "key1");
}

TEST(DownloadRequestDecode, EntryCountZeroOrLessMeansNoEntries)
{
    for (std::int32_t count : {0, -1, -3, INT32_MIN})
    {
        std::vector<std::uint8_t> bytes = Record(count, 1);
        DecodedDownloadRequest decoded = DecodeDownloadRequest(bytes.data(), bytes.size());
        ASSERT_EQ(decoded.status, DownloadRequestStatus::Decoded) << count;
        EXPECT_EQ(decoded.request.entryCount, count);
        EXPECT_TRUE(decoded.request.entries.empty());
    }
    // No entry is read at all: a header alone is a whole request without entries.
    std::vector<std::uint8_t> header = Record(0, 0);
    EXPECT_EQ(StatusOf(header), DownloadRequestStatus::Decoded);
}

TEST(DownloadRequestDecode, RefusesWhatIsNoRequest)
{
    std::vector<std::uint8_t> wrongTag = Record(1, 1);
    PutUInt32(wrongTag, kSizeTagOffset, 524);
    EXPECT_EQ(StatusOf(wrongTag), DownloadRequestStatus::NotARequest);
    EXPECT_EQ(StatusOf({0x24, 0x05, 0}), DownloadRequestStatus::NotARequest);
    EXPECT_EQ(StatusOf({}), DownloadRequestStatus::NotARequest);
    EXPECT_EQ(DecodeDownloadRequest(nullptr, 1316).status, DownloadRequestStatus::NotARequest);
}

TEST(DownloadRequestDecode, RefusesEntriesBeyondThePayload)
{
    std::vector<std::uint8_t> shortHeader = Record(0, 1);
    shortHeader.resize(kHeaderSize - 1);
    EXPECT_EQ(StatusOf(shortHeader), DownloadRequestStatus::Truncated);
    EXPECT_EQ(StatusOf(Record(2, 1)), DownloadRequestStatus::Truncated);
    EXPECT_EQ(StatusOf(Record(INT32_MAX, 1)), DownloadRequestStatus::Truncated);
    std::vector<std::uint8_t> lastEntryCut = Record(2, 2);
    lastEntryCut.pop_back();
    EXPECT_EQ(StatusOf(lastEntryCut), DownloadRequestStatus::Truncated);
    std::vector<std::uint8_t> roomToSpare = Record(1, 3);
    EXPECT_EQ(StatusOf(roomToSpare), DownloadRequestStatus::Decoded);
}

TEST(DownloadRequestDecode, RefusesTextsWithoutTerminatorInTheirField)
{
    struct Field
    {
        const char* name;
        std::size_t offset;
        std::size_t size;
    };
    const Field fields[] = {
        {"Caption", kCaptionOffset, kCaptionSize},
        {"ListFilePath", kListFilePathOffset, kListFilePathSize},
        {"FileName", kHeaderSize + kEntrySize + kFileNameOffset, kFileNameSize},
        {"ListKey", kHeaderSize + kEntrySize + kListKeyOffset, kListKeySize},
    };
    for (const Field& field : fields)
    {
        std::vector<std::uint8_t> bytes = Record(2, 2);
        std::memset(bytes.data() + field.offset, 'x', field.size);
        EXPECT_EQ(StatusOf(bytes), DownloadRequestStatus::Unterminated) << field.name;
        // The longest text that fits: its NUL in the field's last byte.
        bytes[field.offset + field.size - 1] = 0;
        EXPECT_EQ(StatusOf(bytes), DownloadRequestStatus::Decoded) << field.name;
    }
    // An entry after the EntryCount-th is not the request's and is not read.
    std::vector<std::uint8_t> spare = Record(1, 2);
    std::memset(spare.data() + kHeaderSize + kEntrySize, 'x', kEntrySize);
    EXPECT_EQ(StatusOf(spare), DownloadRequestStatus::Decoded);
}
} // namespace
