// The records of a content list by key. The map keeps its own copy of every key and text, each
// followed by a NUL, in a store of growing blocks: a record costs one node instead of a node and up to
// three strings, and a large list is loaded and freed with few allocations.
#pragma once

#include "contentlist/ContentRecord.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <memory_resource>
#include <string_view>
#include <unordered_map>

// A record as the map holds it. Its texts, like the key, are views of the map's copies: each is
// followed by a NUL, and each stays valid until the map's next change.
struct ContentRecordView
{
    std::string_view Text1;
    std::string_view Text2;
    std::int32_t Number = 0;

    ContentRecord Copy() const { return ContentRecord{std::string(Text1), std::string(Text2), Number}; }
};

class CContentRecordMap
{
  public:
    // Keys compare byte for byte, case-sensitively. The order is the hash table's.
    using Table = std::unordered_map<std::string_view, ContentRecordView>;

    CContentRecordMap();

    // Adds the record or replaces the one of key; the arguments may be views of the map's own texts.
    // On an exception the map is as it was.
    void Set(std::string_view key, std::string_view text1, std::string_view text2, std::int32_t number);
    void Set(std::string_view key, const ContentRecord& record)
    {
        Set(key, record.Text1, record.Text2, record.Number);
    }
    // False when key has no record.
    bool Remove(std::string_view key);
    void Clear();
    // Room for count records in all, so that a load of that many does not rehash.
    void Reserve(std::size_t count) { m_table.reserve(count); }

    // Null when key has no record.
    const ContentRecordView* Find(std::string_view key) const;
    std::size_t Size() const { return m_table.size(); }
    // What the store holds: each key and text with its NUL, and the replaced and removed copies that
    // Set has not dropped yet (it drops them once they outweigh the rest).
    std::size_t StoredBytes() const { return m_nStoredBytes; }
    Table::const_iterator begin() const { return m_table.begin(); }
    Table::const_iterator end() const { return m_table.end(); }

  private:
    void Place(std::string_view key, std::string_view text1, std::string_view text2, std::int32_t number);
    std::string_view Store(std::string_view text);
    bool IsWasteful() const;
    void Swap(CContentRecordMap& other) noexcept;

    // The resource itself cannot move: Set swaps its owner with a fresh map's to drop old copies.
    std::unique_ptr<std::pmr::monotonic_buffer_resource> m_pTexts;
    Table m_table;
    std::size_t m_nStoredBytes = 0; // placed in m_pTexts, replaced and removed texts included
    std::size_t m_nLiveBytes = 0;   // of the keys and texts that records still use
};
