// Command 2's record as a peer writes it: caption, content list path and one entry per content
// (file name and list key). Texts that do not fit their fields with their NUL are refused.
#pragma once

#include "peer/Protocol.h"
#include "peer/Records.h"

#include <cstdint>
#include <string>
#include <vector>

namespace peerkit
{
using ::PutUInt32;

class CDownloadRequestBuilder
{
  public:
    // The layout's names, for peers that build or spoil a record by hand.
    static constexpr std::uint32_t kSizeTag = protocol::kDownloadRequestSizeTag;
    static constexpr std::size_t kHeaderSize = downloadrecord::kHeaderSize;
    static constexpr std::size_t kEntrySize = downloadrecord::kEntrySize;
    static constexpr std::size_t kCaptionOffset = downloadrecord::kCaptionOffset;
    static constexpr std::size_t kCaptionSize = downloadrecord::kCaptionSize;
    static constexpr std::size_t kListFilePathOffset = downloadrecord::kListFilePathOffset;
    static constexpr std::size_t kListFilePathSize = downloadrecord::kListFilePathSize;
    static constexpr std::size_t kFileNameSize = downloadrecord::kFileNameSize;
    static constexpr std::size_t kListKeyOffset = downloadrecord::kListKeyOffset;
    static constexpr std::size_t kListKeySize = downloadrecord::kListKeySize;

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
} // namespace peerkit
