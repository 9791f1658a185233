#include "contentlist/ContentListText.h"

#include "contentlist/LineFormat.h"

#include <algorithm>

namespace
{
constexpr char kCtrlZ = '\x1A';

bool IsAsciiLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Each line is handed over as a copy that ends in a NUL instead of its line end; with crLf, a CR
// right before the LF belongs to the line end, as a text-mode stream drops it. The line, the key and
// the record keep their memory from one line to the next: the map takes copies. The map makes room
// for every line ending in an LF at once, so that a large list does not rehash on the way.
bool ParseLines(std::string_view text, bool crLf, const ContentLineParser& parseLine,
                CContentRecordMap& records)
{
    records.Reserve(records.Size() + static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')));
    std::string line;
    std::string key;
    ContentRecord record;
    for (std::size_t start = 0; start < text.size();)
    {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view content = text.substr(start, end - start);
        if (crLf && end < text.size() && !content.empty() && content.back() == '\r')
            content.remove_suffix(1);
        line.assign(content.data(), content.size());
        key.clear();
        record.Text1.clear();
        record.Text2.clear();
        record.Number = 0;
        if (!parseLine(line.c_str(), key, record))
            return false;
        records.Set(key, record);
        start = end + 1;
    }
    return true;
}
} // namespace

bool ParseContentListLines(std::string_view text, const ContentLineParser& parseLine,
                           CContentRecordMap& records)
{
    return ParseLines(text, false, parseLine, records);
}

bool ParseContentListText(const std::string& bytes, const CCodePage& codePage, CContentRecordMap& records)
{
    return ParseLines(
        std::string_view(bytes).substr(0, bytes.find(kCtrlZ)), true,
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
