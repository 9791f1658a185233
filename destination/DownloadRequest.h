// Command 2's record (DownloadRequest with its ContentEntry records), decoded against the
// payload's real length. Platform-neutral so that it can be tested and fuzzed natively.
#pragma once

#include "peer/Records.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>


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
