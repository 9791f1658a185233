#include "destination/DownloadRequest.h"

#include "peer/Protocol.h"
#include "peer/Records.h"

#include <cstring>

namespace
{
using namespace downloadrecord;

// The text up to its NUL; false when the field holds none.
bool ReadText(const std::uint8_t* field, std::size_t fieldSize, std::string& text)
{
    const void* nul = std::memchr(field, 0, fieldSize);
    if (!nul)
        return false;
    text.assign(reinterpret_cast<const char*>(field), static_cast<const std::uint8_t*>(nul) - field);
    return true;
}

bool ReadEntry(const std::uint8_t* record, ContentEntry& entry)
{
    return ReadText(record + kFileNameOffset, kFileNameSize, entry.fileName) &&
           ReadText(record + kListKeyOffset, kListKeySize, entry.listKey);
}

DecodedDownloadRequest Refused(DownloadRequestStatus status)
{
    DecodedDownloadRequest decoded;
    decoded.status = status;
    return decoded;
}
} // namespace

DecodedDownloadRequest DecodeDownloadRequest(const std::uint8_t* bytes, std::size_t size)
{
    if (!bytes || size < 4 || ReadUInt32(bytes, kSizeTagOffset) != protocol::kDownloadRequestSizeTag)
        return Refused(DownloadRequestStatus::NotARequest);
    if (size < kHeaderSize)
        return Refused(DownloadRequestStatus::Truncated);
    DecodedDownloadRequest decoded;
    DownloadRequest& request = decoded.request;
    request.entryCount = static_cast<std::int32_t>(ReadUInt32(bytes, kEntryCountOffset));
    // The peer says how many entries follow; the payload's length says how many can.
    std::size_t count = request.entryCount > 0 ? static_cast<std::size_t>(request.entryCount) : 0;
    if (count > (size - kHeaderSize) / kEntrySize)
        return Refused(DownloadRequestStatus::Truncated);
    if (!ReadText(bytes + kCaptionOffset, kCaptionSize, request.caption) ||
        !ReadText(bytes + kListFilePathOffset, kListFilePathSize, request.listFilePath))
        return Refused(DownloadRequestStatus::Unterminated);
    request.entries.resize(count);
    for (std::size_t i = 0; i < count; ++i)
    {
        if (!ReadEntry(bytes + kHeaderSize + i * kEntrySize, request.entries[i]))
            return Refused(DownloadRequestStatus::Unterminated);
    }
    decoded.status = DownloadRequestStatus::Decoded;
    return decoded;
}
