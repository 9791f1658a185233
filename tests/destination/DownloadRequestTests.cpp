#include "destination/DownloadRequest.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

namespace
{
using Bytes = std::vector<std::uint8_t>;
using Status = DownloadRequestStatus;

// The record's layout, spelled out here so that a wrong offset in the decoder cannot hide.
constexpr std::size_t kCaption = 24, kListFilePath = 280, kHeader = 544, kEntry = 772, kListKey = 260;

// A record with room for `slots` entries and EntryCount = count, cut to `size` bytes when not 0.
Bytes Record(std::int32_t count, std::size_t slots, std::uint32_t tag = 1316, std::size_t size = 0)
{
    Bytes bytes(kHeader + slots * kEntry, 0);
    auto text = [&bytes](std::size_t offset, const std::string& s) { std::memcpy(&bytes[offset], s.data(), s.size()); };
    for (int i = 0; i < 4; ++i)
    {
        bytes[i] = static_cast<std::uint8_t>(tag >> (8 * i));
        bytes[4 + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(count) >> (8 * i));
    }
    text(8, "peer's own bytes");
    text(kCaption, "Caption");
    text(kListFilePath, "C:\\list.csv");
    for (std::size_t i = 0; i < slots; ++i)
    {
        text(kHeader + i * kEntry, "file" + std::to_string(i));
        text(kHeader + i * kEntry + kListKey, "key" + std::to_string(i));
    }
    if (size)
        bytes.resize(size);
    return bytes;
}

Status StatusOf(const Bytes& bytes)
{
    return DecodeDownloadRequest(bytes.data(), bytes.size()).status;
}

TEST(DownloadRequestDecode, ReadsEveryField)
{
    Bytes bytes = Record(2, 2);
    DecodedDownloadRequest decoded = DecodeDownloadRequest(bytes.data(), bytes.size());
    ASSERT_EQ(decoded.status, Status::Decoded);
    EXPECT_EQ(decoded.request.entryCount, 2);
    EXPECT_EQ(decoded.request.caption, "Caption");
    EXPECT_EQ(decoded.request.listFilePath, "C:\\list.csv");
    ASSERT_EQ(decoded.request.entries.size(), 2u);
    EXPECT_EQ(decoded.request.entries[0].fileName + decoded.request.entries[0].listKey, "file0key0");
    EXPECT_EQ(decoded.request.entries[1].fileName + decoded.request.entries[1].listKey, "file1key1");
}

TEST(DownloadRequestDecode, StatusAndEntries)
{
    struct { const char* name; Bytes bytes; Status status; std::size_t entries; } const rows[] = {
        {"one entry", Record(1, 1), Status::Decoded, 1},
        {"room to spare", Record(1, 3), Status::Decoded, 1},
        {"EntryCount 0", Record(0, 1), Status::Decoded, 0},
        {"EntryCount -1", Record(-1, 1), Status::Decoded, 0},
        {"EntryCount INT32_MIN", Record(INT32_MIN, 1), Status::Decoded, 0},
        {"a header alone", Record(0, 0), Status::Decoded, 0},
        {"tag 524", Record(1, 1, 524), Status::NotARequest, 0},
        {"tag 1317", Record(1, 1, 1317), Status::NotARequest, 0},
        {"tag with a high byte", Record(1, 1, 1316 + 0x01000000), Status::NotARequest, 0},
        {"three bytes of a tag", Record(1, 1, 1316, 3), Status::NotARequest, 0},
        {"the tag alone", Record(1, 1, 1316, 4), Status::Truncated, 0},
        {"header one byte short", Record(0, 0, 1316, kHeader - 1), Status::Truncated, 0},
        {"EntryCount beyond the entries", Record(2, 1), Status::Truncated, 0},
        {"EntryCount INT32_MAX", Record(INT32_MAX, 1), Status::Truncated, 0},
        {"last entry one byte short", Record(2, 2, 1316, kHeader + 2 * kEntry - 1), Status::Truncated, 0},
    };
    for (const auto& row : rows)
    {
        DecodedDownloadRequest decoded = DecodeDownloadRequest(row.bytes.data(), row.bytes.size());
        EXPECT_EQ(decoded.status, row.status) << row.name;
        EXPECT_EQ(decoded.request.entries.size(), row.entries) << row.name;
    }
    EXPECT_EQ(DecodeDownloadRequest(nullptr, 1316).status, Status::NotARequest);
}

TEST(DownloadRequestDecode, TextsNeedTheirTerminatorInsideTheirField)
{
    struct { const char* name; std::size_t offset, size; } const rows[] = {
        {"Caption", kCaption, 256}, {"ListFilePath", kListFilePath, 260},
        {"first FileName", kHeader, 260}, {"first ListKey", kHeader + kListKey, 512},
        {"second FileName", kHeader + kEntry, 260}, {"second ListKey", kHeader + kEntry + kListKey, 512},
    };
    for (const auto& row : rows)
    {
        Bytes bytes = Record(2, 2);
        std::memset(&bytes[row.offset], 'x', row.size);
        EXPECT_EQ(StatusOf(bytes), Status::Unterminated) << row.name;
        bytes[row.offset + row.size - 1] = 0; // the longest text that fits
        EXPECT_EQ(StatusOf(bytes), Status::Decoded) << row.name;
    }
    // An entry after the EntryCount-th is not the request's and is not read.
    Bytes spare = Record(1, 2);
    std::memset(&spare[kHeader + kEntry], 'x', kEntry);
    EXPECT_EQ(StatusOf(spare), Status::Decoded);
}
} // namespace
