#include "contentlist/WantedRecords.h"

#include "contentlist/LineFormat.h"

CWantedRecords::CWantedRecords(const std::vector<std::string>& keys, const CCodePage& codePage, LineEnds ends)
    : m_codePage(codePage), m_keys(keys),
      m_cutter(ends, [this](const std::string& line) { return TakeLine(line); })
{
    for (const std::string& key : m_keys)
        m_text1OfKey.emplace(key, std::string());
}

void CWantedRecords::Feed(std::string_view piece)
{
    m_cutter.Feed(piece);
}

std::vector<std::string> CWantedRecords::Finish()
{
    const bool whole = m_cutter.Finish();
    std::vector<std::string> texts(m_keys.size());
    if (!whole)
        return texts;
    for (std::size_t i = 0; i < m_keys.size(); ++i)
        texts[i] = m_text1OfKey[m_keys[i]];
    return texts;
}

// A line that parses sets the key and Text1 whole, so both keep their memory from line to line.
bool CWantedRecords::TakeLine(const std::string& line)
{
    if (!ParseLine(line.c_str(), m_key, &m_record, m_codePage))
        return false;
    const auto wanted = m_text1OfKey.find(m_key);
    if (wanted != m_text1OfKey.end())
        wanted->second = m_record.Text1;
    return true;
}
