// Command 2's record (DownloadRequest with its ContentEntry records), decoded against the
// payload's real length. Platform-neutral so that it can be tested and fuzzed natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace downloadrecord
{
constexpr std::size_t kSizeTagOffset = 0;
constexpr std::size_t kEntryCountOffset = 4;
constexpr std::size_t kCaptionOffset = 24;
constexpr std::size_t kCaptionSize = 256;
constexpr std::size_t kListFilePathOffset = 280;
constexpr std::size_t kListFilePathSize = 260;
constexpr std::size_t kHeaderSize = 544;

constexpr std::size_t kFileNameOffset = 0;
constexpr std::size_t kFileNameSize = 260;
constexpr std::size_t kListKeyOffset = 260;
constexpr std::size_t kListKeySize = 512;
constexpr std::size_t kEntrySize = 772;
} // namespace downloadrecord

struct ContentEntry
{
    std::string fileName;
    std::string listKey;
};

struct DownloadRequest
{
    std::int32_t entryCount = 0; // as sent; 0 or less means no entries
    std::string caption;
    std::string listFilePath;
    std::vector<ContentEntry> entries; // exactly max(entryCount, 0) records
};

enum class DownloadRequestStatus
{
    Decoded,
    NotARequest,  // shorter than its SizeTag, or a SizeTag other than 1316
    Truncated,    // the fixed part or the EntryCount-th entry ends beyond the payload
    Unterminated, // Caption, ListFilePath, a FileName or a ListKey has no NUL inside its field
};

struct DecodedDownloadRequest
{
    DownloadRequestStatus status = DownloadRequestStatus::NotARequest;
    DownloadRequest request; // filled only when status is Decoded
};

DecodedDownloadRequest DecodeDownloadRequest(const std::uint8_t* bytes, std::size_t size);
