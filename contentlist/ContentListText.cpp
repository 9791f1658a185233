#include "contentlist/ContentListText.h"

#include "contentlist/LineFormat.h"

#include <algorithm>
#include <utility>

namespace
{
constexpr char kCtrlZ = '\x1A';

bool IsAsciiLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The map makes room for every line ending in an LF at once, so that a large list does not rehash
// on the way. The line, the key and the record keep their memory from one line to the next: the map
// takes copies.
bool ParseLines(std::string_view text, LineEnds ends, const ContentLineParser& parseLine,
                CContentRecordMap& records)
{
    const std::string_view counted = ends == LineEnds::RawBytes ? text.substr(0, text.find(kCtrlZ)) : text;
    records.Reserve(records.Size() + static_cast<std::size_t>(std::count(counted.begin(), counted.end(), '\n')));
    std::string key;
    ContentRecord record;
    CContentLineCutter cutter(ends, [&](const std::string& line) {
        key.clear();
        record.Text1.clear();
        record.Text2.clear();
        record.Number = 0;
        if (!parseLine(line.c_str(), key, record))
            return false;
        records.Set(key, record);
        return true;
    });
    cutter.Feed(text);
    return cutter.Finish();
}
} // namespace

CContentLineCutter::CContentLineCutter(LineEnds ends, LineHandler onLine)
    : m_ends(ends), m_onLine(std::move(onLine))
{
}

// Both searches are the runtime's byte search: a per-byte look for either of two bytes costs the
// parse of a large list half its speed.
void CContentLineCutter::Feed(std::string_view piece)
{
    if (m_bRefused || m_bEnded)
        return;
    const std::size_t end = m_ends == LineEnds::RawBytes ? piece.find(kCtrlZ) : std::string_view::npos;
    m_bEnded = end != std::string_view::npos;
    piece = piece.substr(0, end);
    for (std::size_t stop = piece.find('\n'); stop != std::string_view::npos; stop = piece.find('\n'))
    {
        m_line.append(piece.data(), stop);
        piece.remove_prefix(stop + 1);
        if (!EndLine(true))
        {
            m_bRefused = true;
            return;
        }
    }
    m_line.append(piece.data(), piece.size());
}

bool CContentLineCutter::Finish()
{
    if (!m_bRefused && !m_line.empty() && !EndLine(false))
        m_bRefused = true;
    return !m_bRefused;
}

// A line is handed over as a copy that ends in a NUL instead of its line end.
bool CContentLineCutter::EndLine(bool atLineFeed)
{
    if (m_ends == LineEnds::RawBytes && atLineFeed && !m_line.empty() && m_line.back() == '\r')
        m_line.pop_back();
    const bool taken = m_onLine(m_line);
    m_line.clear();
    return taken;
}

bool ParseContentListLines(std::string_view text, const ContentLineParser& parseLine,
                           CContentRecordMap& records)
{
    return ParseLines(text, LineEnds::Stream, parseLine, records);
}

bool ParseContentListText(const std::string& bytes, const CCodePage& codePage, CContentRecordMap& records)
{
    return ParseLines(
        bytes, LineEnds::RawBytes,
        [&codePage](const char* line, std::string& key, ContentRecord& record) {
            return ParseLine(line, key, &record, codePage);
        },
        records);
}

std::string ContentListLockName(const std::string& path, const CCodePage& codePage)
{
    std::string name = path;
    for (std::size_t pos = 0; pos < name.size(); pos += codePage.CharLength(name, pos))
    {
        if (name[pos] == '\\')
            name[pos] = '/';
    }
    return name;
}

std::string FolderOfPath(const std::string& path, const CCodePage& codePage)
{
    std::size_t afterSeparator = 0;
    for (std::size_t pos = 0; pos < path.size(); pos += codePage.CharLength(path, pos))
    {
        if (path[pos] == '\\' || path[pos] == '/')
            afterSeparator = pos + 1;
    }
    if (afterSeparator == 0 && path.size() >= 2 && IsAsciiLetter(path[0]) && path[1] == ':')
        return path.substr(0, 2);
    if (afterSeparator == 0)
        return ".\\";
    return path.substr(0, afterSeparator);
}
