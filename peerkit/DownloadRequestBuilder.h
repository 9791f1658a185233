// Command 2's record as a peer writes it: caption, content list path and one entry per content
// (file name and list key). Texts that do not fit their fields with their NUL are refused.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace peerkit
{
class CDownloadRequestBuilder
{
  public:
    static constexpr std::uint32_t kSizeTag = 1316;
    static constexpr std::size_t kHeaderSize = 544;
    static constexpr std::size_t kEntrySize = 772;
    static constexpr std::size_t kCaptionOffset = 24;
    static constexpr std::size_t kCaptionSize = 256;
    static constexpr std::size_t kListFilePathOffset = 280;
    static constexpr std::size_t kListFilePathSize = 260;
    static constexpr std::size_t kFileNameSize = 260;
    static constexpr std::size_t kListKeyOffset = 260;
    static constexpr std::size_t kListKeySize = 512;

    // Each returns false, changing nothing, when the text does not fit its field.
    bool SetCaption(const std::string& caption);
    bool SetListFilePath(const std::string& path);
    bool AddEntry(const std::string& fileName, const std::string& listKey);

    // The record: EntryCount = the entries added, each 772 bytes after the 544-byte header; a
    // request without entries still has the room of one, as the SizeTag says.
    std::vector<std::uint8_t> Build() const;

  private:
    struct Entry
    {
        std::string fileName;
        std::string listKey;
    };
    std::string m_caption;
    std::string m_listFilePath;
    std::vector<Entry> m_entries;
};

// Writes a little-endian 32-bit value at offset of a record (for tests that spoil one on purpose).
void PutUInt32(std::vector<std::uint8_t>& record, std::size_t offset, std::uint32_t value);
} // namespace peerkit
