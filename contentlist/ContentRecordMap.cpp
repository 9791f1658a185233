#include "contentlist/ContentRecordMap.h"

#include <cstring>
#include <utility>

namespace
{
std::size_t Footprint(std::string_view text)
{
    return text.size() + 1;
}

std::size_t Footprint(const ContentRecordView& record)
{
    return Footprint(record.Text1) + Footprint(record.Text2);
}
} // namespace

CContentRecordMap::CContentRecordMap() : m_pTexts(std::make_unique<std::pmr::monotonic_buffer_resource>()) {}

// Replaced and removed texts stay in the store until they outweigh the live ones; then the live ones
// move to a fresh store, so the store stays within twice what the records use and each byte is
// moved about once per byte replaced. The arguments may be views of this map's own texts: they are
// copied before the old store is released.
void CContentRecordMap::Set(std::string_view key, std::string_view text1, std::string_view text2,
                            std::int32_t number)
{
    if (!IsWasteful())
    {
        Place(key, text1, text2, number);
        return;
    }
    CContentRecordMap fresh;
    for (const auto& [oldKey, record] : m_table)
    {
        if (oldKey != key)
            fresh.Place(oldKey, record.Text1, record.Text2, record.Number);
    }
    fresh.Place(key, text1, text2, number);
    Swap(fresh);
}

bool CContentRecordMap::Remove(std::string_view key)
{
    const auto found = m_table.find(key);
    if (found == m_table.end())
        return false;
    m_nLiveBytes -= Footprint(found->first) + Footprint(found->second);
    m_table.erase(found);
    return true;
}

void CContentRecordMap::Clear()
{
    m_table.clear();
    m_pTexts->release();
    m_nStoredBytes = m_nLiveBytes = 0;
}

const ContentRecordView* CContentRecordMap::Find(std::string_view key) const
{
    const auto found = m_table.find(key);
    return found == m_table.end() ? nullptr : &found->second;
}

// Everything is stored before the table changes, so an exception leaves every record as it was. The
// key is stored even when it has a record already (a wasted copy), so that it is hashed only once.
void CContentRecordMap::Place(std::string_view key, std::string_view text1, std::string_view text2,
                              std::int32_t number)
{
    const ContentRecordView record{Store(text1), Store(text2), number};
    const std::string_view storedKey = Store(key);
    const auto [at, added] = m_table.try_emplace(storedKey, record);
    if (added)
    {
        m_nLiveBytes += Footprint(storedKey);
    }
    else
    {
        m_nLiveBytes -= Footprint(at->second);
        at->second = record;
    }
    m_nLiveBytes += Footprint(record);
}

std::string_view CContentRecordMap::Store(std::string_view text)
{
    const std::size_t bytes = Footprint(text);
    char* copy = static_cast<char*>(m_pTexts->allocate(bytes, alignof(char)));
    if (!text.empty())
        std::memcpy(copy, text.data(), text.size());
    copy[text.size()] = '\0';
    m_nStoredBytes += bytes;
    return std::string_view(copy, text.size());
}

bool CContentRecordMap::IsWasteful() const
{
    return m_nStoredBytes - m_nLiveBytes > m_nLiveBytes;
}

void CContentRecordMap::Swap(CContentRecordMap& other) noexcept
{
    std::swap(m_pTexts, other.m_pTexts);
    m_table.swap(other.m_table);
    std::swap(m_nStoredBytes, other.m_nStoredBytes);
    std::swap(m_nLiveBytes, other.m_nLiveBytes);
}
