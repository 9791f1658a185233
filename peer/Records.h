// The layouts of the command records and the little-endian 32-bit values in them: one description
// for the assistant's decoders and the peer kit's builders. Platform-neutral.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Command 2's DownloadRequest: a 544-byte header, then one 772-byte ContentEntry per entry.
namespace downloadrecord
{
constexpr std::size_t kSizeTagOffset = 0;
constexpr std::size_t kEntryCountOffset = 4;
constexpr std::size_t kCaptionOffset = 24, kCaptionSize = 256;
constexpr std::size_t kListFilePathOffset = kCaptionOffset + kCaptionSize, kListFilePathSize = 260;
constexpr std::size_t kHeaderSize = 544; // the four bytes past the list's path are the peer's, never read

// Each field of an entry follows the one before.
constexpr std::size_t kFileNameOffset = 0, kFileNameSize = 260;
constexpr std::size_t kListKeyOffset = kFileNameOffset + kFileNameSize, kListKeySize = 512;
constexpr std::size_t kEntrySize = kListKeyOffset + kListKeySize;
static_assert(kListFilePathOffset == 280 && kListKeyOffset == 260 && kEntrySize == 772,
              "the record's layout");
} // namespace downloadrecord

// Command 3's FinishRequest: the size tag, then the source's and the destination's 260-byte fields.
namespace finishrecord
{
constexpr std::size_t kPathField = 260;
constexpr std::size_t kSourceOffset = 4;
constexpr std::size_t kDestinationOffset = kSourceOffset + kPathField;
constexpr std::size_t kSize = kDestinationOffset + kPathField;
} // namespace finishrecord

// A little-endian 32-bit value at offset; the caller has checked the length.
inline std::uint32_t ReadUInt32(const std::uint8_t* bytes, std::size_t offset)
{
    const std::uint8_t* p = bytes + offset;
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// Writes value at offset of a record, which must hold the four bytes.
inline void PutUInt32(std::vector<std::uint8_t>& record, std::size_t offset, std::uint32_t value)
{
    for (std::size_t i = 0; i < 4; ++i)
        record.at(offset + i) = static_cast<std::uint8_t>(value >> (8 * i));
}

inline void AppendUInt32(std::vector<std::uint8_t>& bytes, std::uint32_t value)
{
    for (std::size_t i = 0; i < 4; ++i)
        bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}
