#include "tests/e2e/soak/MalformedWorkFiles.h"

#include "destination/DownloadRequest.h"
#include "environment/FinishRequest.h"
#include "peer/Protocol.h"
#include "peerkit/PeerSession.h"

namespace soak
{
namespace
{
std::size_t Between(std::mt19937& random, std::size_t low, std::size_t high)
{
    return std::uniform_int_distribution<std::size_t>(low, high)(random);
}

Bytes RandomBytes(std::mt19937& random, std::size_t minSize, std::size_t maxSize)
{
    std::uniform_int_distribution<int> byte(0, 255);
    Bytes bytes(Between(random, minSize, maxSize));
    for (std::uint8_t& b : bytes)
        b = static_cast<std::uint8_t>(byte(random));
    return bytes;
}

void PutUInt32(Bytes& bytes, std::size_t offset, std::uint32_t value)
{
    for (std::size_t i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

Bytes Command(std::uint32_t code, const Bytes& record)
{
    Bytes bytes;
    peerkit::AppendUInt32(bytes, code);
    bytes.insert(bytes.end(), record.begin(), record.end());
    return bytes;
}

Bytes RecordWithWrongTag(std::mt19937& random, std::uint32_t validTag)
{
    Bytes record = RandomBytes(random, 4, 3000);
    if (record[0] == (validTag & 0xFF) && record[1] == (validTag >> 8) && record[2] == 0 && record[3] == 0)
        record[3] = 0x80;
    return record;
}

// A download request header that would decode (SizeTag 1316, both texts terminated) but for the
// one flaw that each kind puts in.
Bytes DownloadRecord(MalformedKind kind, std::mt19937& random)
{
    using namespace downloadrecord;
    Bytes record = RandomBytes(random, kHeaderSize, kHeaderSize);
    PutUInt32(record, kSizeTagOffset, protocol::kDownloadRequestSizeTag);
    record[kCaptionOffset] = 'C';
    record[kCaptionOffset + 1] = 0;
    record[kListFilePathOffset] = 0;
    if (kind == MalformedKind::DownloadShortHeader)
    {
        record.resize(Between(random, 4, kHeaderSize - 1));
        return record;
    }
    if (kind == MalformedKind::DownloadTooManyItems)
    {
        // Terminated entries, but room for fewer than counted.
        std::size_t counted = Between(random, 1, 50);
        PutUInt32(record, kEntryCountOffset, static_cast<std::uint32_t>(counted));
        record.resize(kHeaderSize + (counted - 1) * kEntrySize + Between(random, 0, kEntrySize - 1), 0);
        return record;
    }
    PutUInt32(record, kEntryCountOffset, 0);
    for (std::size_t i = 0; i < kCaptionSize; ++i)
        record[kCaptionOffset + i] = static_cast<std::uint8_t>('a' + i % 26);
    return record;
}
} // namespace

bool StaysInPlace(MalformedKind kind)
{
    return kind == MalformedKind::Empty || kind == MalformedKind::CodeZero ||
           kind == MalformedKind::CodeAboveThree;
}

Bytes MalformedWorkFile(MalformedKind kind, std::mt19937& random)
{
    switch (kind)
    {
    case MalformedKind::Empty:
        return Bytes();
    case MalformedKind::CodeZero:
        return Command(0, RandomBytes(random, 0, 600));
    case MalformedKind::CodeAboveThree: {
        std::uniform_int_distribution<std::uint32_t> code(4, 0xFFFFFFFFu);
        return Command(code(random), RandomBytes(random, 0, 600));
    }
    case MalformedKind::PartialCode: {
        Bytes bytes(Between(random, 1, 3), 0);
        bytes[0] = static_cast<std::uint8_t>(Between(random, 1, 3));
        return bytes;
    }
    case MalformedKind::Oversized:
        return Command(protocol::kCommandFinish, Bytes(protocol::kMaxPayloadBytes + 1, 0));
    case MalformedKind::ShortAttach:
        return Command(protocol::kCommandAttach, RandomBytes(random, 0, protocol::kAttachRequestSize - 1));
    case MalformedKind::DownloadWrongTag:
        return Command(protocol::kCommandDownload,
                       RecordWithWrongTag(random, protocol::kDownloadRequestSizeTag));
    case MalformedKind::FinishWrongTag:
        return Command(protocol::kCommandFinish, RecordWithWrongTag(random, protocol::kFinishRequestSizeTag));
    case MalformedKind::FinishShort: {
        Bytes record = RandomBytes(random, 4, kFinishRequestSize - 1);
        PutUInt32(record, 0, protocol::kFinishRequestSizeTag);
        return Command(protocol::kCommandFinish, record);
    }
    default:
        return Command(protocol::kCommandDownload, DownloadRecord(kind, random));
    }
}
} // namespace soak
