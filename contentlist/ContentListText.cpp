#include "contentlist/ContentListText.h"

#include "contentlist/LineFormat.h"

#include <utility>

namespace
{
constexpr char kCtrlZ = '\x1A';

bool IsAsciiLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
} // namespace

bool ParseContentListLines(std::string text, const ContentLineParser& parseLine, ContentRecordMap& records)
{
    std::size_t lineEnds = 0;
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
        ++lineEnds;
    records.reserve(records.size() + lineEnds + 1);
    // Each line is handed over in place, its line end overwritten by a terminator.
    std::string key;
    for (std::size_t start = 0; start < text.size();)
    {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        else
            text[end] = '\0';
        key.clear();
        ContentRecord record;
        if (!parseLine(text.c_str() + start, key, record))
            return false;
        records.insert_or_assign(std::move(key), std::move(record));
        start = end + 1;
    }
    return true;
}

std::string ToTextMode(const std::string& bytes)
{
    std::size_t length = bytes.find(kCtrlZ);
    if (length == std::string::npos)
        length = bytes.size();
    std::string text;
    text.reserve(length);
    std::size_t from = 0;
    for (std::size_t cr = bytes.find('\r'); cr < length; cr = bytes.find('\r', cr + 1))
    {
        if (cr + 1 < length && bytes[cr + 1] == '\n')
        {
            text.append(bytes, from, cr - from);
            from = cr + 1;
        }
    }
    text.append(bytes, from, length - from);
    return text;
}

bool ParseContentListText(const std::string& bytes, const CCodePage& codePage, ContentRecordMap& records)
{
    return ParseContentListLines(
        ToTextMode(bytes),
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
