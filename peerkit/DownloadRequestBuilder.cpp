#include "peerkit/DownloadRequestBuilder.h"

#include <algorithm>

namespace peerkit
{
namespace
{
bool Fits(const std::string& text, std::size_t fieldSize)
{
    return text.size() < fieldSize && text.find('\0') == std::string::npos;
}

void PutText(std::vector<std::uint8_t>& record, std::size_t offset, const std::string& text)
{
    std::copy(text.begin(), text.end(), record.begin() + static_cast<std::ptrdiff_t>(offset));
}
} // namespace

bool CDownloadRequestBuilder::SetCaption(const std::string& caption)
{
    if (!Fits(caption, kCaptionSize))
        return false;
    m_caption = caption;
    return true;
}

bool CDownloadRequestBuilder::SetListFilePath(const std::string& path)
{
    if (!Fits(path, kListFilePathSize))
        return false;
    m_listFilePath = path;
    return true;
}

bool CDownloadRequestBuilder::AddEntry(const std::string& fileName, const std::string& listKey)
{
    if (!Fits(fileName, kFileNameSize) || !Fits(listKey, kListKeySize))
        return false;
    m_entries.push_back({fileName, listKey});
    return true;
}

std::vector<std::uint8_t> CDownloadRequestBuilder::Build() const
{
    std::size_t slots = std::max<std::size_t>(m_entries.size(), 1);
    std::vector<std::uint8_t> record(kHeaderSize + slots * kEntrySize, 0);
    PutUInt32(record, downloadrecord::kSizeTagOffset, kSizeTag);
    PutUInt32(record, downloadrecord::kEntryCountOffset, static_cast<std::uint32_t>(m_entries.size()));
    PutText(record, kCaptionOffset, m_caption);
    PutText(record, kListFilePathOffset, m_listFilePath);
    for (std::size_t i = 0; i < m_entries.size(); ++i)
    {
        std::size_t entry = kHeaderSize + i * kEntrySize;
        PutText(record, entry, m_entries[i].fileName);
        PutText(record, entry + kListKeyOffset, m_entries[i].listKey);
    }
    return record;
}
} // namespace peerkit
