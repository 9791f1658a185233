#include "destination/DownloadRequest.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

namespace
{
using Bytes = std::vector<std::uint8_t>;

// The record's layout, spelled out here so that a wrong offset in the decoder cannot hide.
constexpr std::size_t kCaption = 24, kListFilePath = 280, kHeader = 544, kEntry = 772, kListKey = 260;

// A record with room for `slots` entries and EntryCount = count, cut to `size` bytes when not 0.
Bytes Record(std::int32_t count, std::size_t slots, std::uint32_t tag = 1316, std::size_t size = 0)
{
    Bytes bytes(kHeader + slots * kEntry, 0);
    auto text = [&bytes](std::size_t at, const std::string& s) { std::memcpy(&bytes[at], s.data(), s.size()); };
    const std::uint32_t words[] = {tag, static_cast<std::uint32_t>(count)};
    for (int i = 0; i < 8; ++i)
        bytes[i] = static_cast<std::uint8_t>(words[i / 4] >> (8 * (i % 4)));
    text(8, "peer's own bytes"), text(kCaption, "Caption"), text(kListFilePath, "C:\\list.csv");
    for (std::size_t i = 0; i < slots; ++i)
        text(kHeader + i * kEntry, "file" + std::to_string(i)), text(kHeader + i * kEntry + kListKey, "key" + std::to_string(i));
    bytes.resize(size ? size : bytes.size());
    return bytes;
}

// "Decoded <EntryCount> <caption>|<list file> <file>:<key>..." or the refusal's name.
std::string Decoded(const Bytes& bytes)
{
    DecodedDownloadRequest decoded = DecodeDownloadRequest(bytes.data(), bytes.size());
    const char* const refusals[] = {"", "NotARequest", "Truncated", "Unterminated"}; // in the enum's order
    if (decoded.status != DownloadRequestStatus::Decoded)
        return refusals[static_cast<int>(decoded.status)];
    const DownloadRequest& request = decoded.request;
    std::string text = "Decoded " + std::to_string(request.entryCount) + " " + request.caption + "|" +
                       request.listFilePath;
    for (const ContentEntry& entry : request.entries)
        text += " " + entry.fileName + ":" + entry.listKey;
    return text;
}

TEST(DownloadRequestDecode, Records)
{
    const std::string head = " Caption|C:\\list.csv";
    struct { const char* name; Bytes bytes; std::string decoded; } const rows[] = {
        {"two entries", Record(2, 2), "Decoded 2" + head + " file0:key0 file1:key1"},
        {"one entry", Record(1, 1), "Decoded 1" + head + " file0:key0"},
        {"room to spare", Record(1, 3), "Decoded 1" + head + " file0:key0"},
        {"EntryCount 0", Record(0, 1), "Decoded 0" + head}, {"EntryCount -1", Record(-1, 1), "Decoded -1" + head},
        {"INT32_MIN", Record(INT32_MIN, 1), "Decoded -2147483648" + head}, {"header", Record(0, 0), "Decoded 0" + head},
        {"tag 524", Record(1, 1, 524), "NotARequest"}, {"tag 1317", Record(1, 1, 1317), "NotARequest"},
        {"tag with a high byte", Record(1, 1, 1316 + 0x01000000), "NotARequest"},
        {"three bytes", Record(1, 1, 1316, 3), "NotARequest"}, {"the tag alone", Record(1, 1, 1316, 4), "Truncated"},
        {"header one byte short", Record(0, 0, 1316, kHeader - 1), "Truncated"},
        {"EntryCount beyond the entries", Record(2, 1), "Truncated"}, {"INT32_MAX", Record(INT32_MAX, 1), "Truncated"},
        {"last entry one byte short", Record(2, 2, 1316, kHeader + 2 * kEntry - 1), "Truncated"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Decoded(row.bytes), row.decoded) << row.name;
    EXPECT_EQ(DecodeDownloadRequest(nullptr, 1316).status, DownloadRequestStatus::NotARequest);
}

TEST(DownloadRequestDecode, TextsNeedTheirTerminatorInsideTheirField)
{
    struct { const char* name; std::size_t offset, size; } const rows[] = {
        {"Caption", kCaption, 256}, {"ListFilePath", kListFilePath, 260}, {"first FileName", kHeader, 260},
        {"first ListKey", kHeader + kListKey, 512}, {"second FileName", kHeader + kEntry, 260},
        {"second ListKey", kHeader + kEntry + kListKey, 512},
    };
    for (const auto& row : rows)
    {
        Bytes bytes = Record(2, 2);
        std::memset(&bytes[row.offset], 'x', row.size);
        if (row.offset + row.size < bytes.size())
            bytes[row.offset + row.size] = 0; // a NUL just past the field is not the field's
        EXPECT_EQ(Decoded(bytes), "Unterminated") << row.name;
        bytes[row.offset + row.size - 1] = 0; // the longest text that fits
        EXPECT_NE(Decoded(bytes).find(std::string(row.size - 1, 'x')), std::string::npos) << row.name;
    }
    // An entry after the EntryCount-th is not the request's and is not read.
    Bytes spare = Record(1, 2);
    std::memset(&spare[kHeader + kEntry], 'x', kEntry);
    EXPECT_EQ(Decoded(spare), "Decoded 1 Caption|C:\\list.csv file0:key0");
}
} // namespace
