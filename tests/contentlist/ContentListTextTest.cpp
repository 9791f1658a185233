#include "contentlist/ContentListText.h"

#include "contentlist/LineFormat.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace
{
std::string Line(const std::string& key, const std::string& text1, int number = 1)
{
    return "\"" + key + "\",\" " + text1 + "\",\" t\", \" " + std::to_string(number) + "\"\r\n";
}

// The records as "key=text1/number" in key order, so that a row can state them all.
std::string Loaded(const std::string& bytes, bool& whole)
{
    ContentRecordMap records;
    whole = ParseContentListText(bytes, TableCodePage(932), records);
    std::map<std::string, ContentRecord> sorted(records.begin(), records.end());
    std::string text;
    for (const auto& entry : sorted)
        text += entry.first + "=" + entry.second.Text1 + "/" + std::to_string(entry.second.Number) + " ";
    return text;
}
} // namespace

TEST(ContentListText, Lines)
{
    const std::string a = Line("a", "A", 3), b = Line("b", "B", 4);
    struct { const char* name; std::string bytes; bool whole; const char* records; } const rows[] = {
        {"empty", "", true, ""},
        {"CR LF after each line", a + b, true, "a=A/3 b=B/4 "},
        {"the last line needs no end", a + b.substr(0, b.size() - 2), true, "a=A/3 b=B/4 "},
        {"LF alone", "\"a\",\" A\",\" t\", \" 3\"\n\"b\",\" B\",\" t\", \" 4\"\n", true, "a=A/3 b=B/4 "},
        {"last line of a key wins", a + Line("k", "1st") + b + Line("k", "2nd", 2), true, "a=A/3 b=B/4 k=2nd/2 "},
        {"keys are case-sensitive", Line("abc", "lower") + Line("ABC", "upper"), true, "ABC=upper/1 abc=lower/1 "},
        {"an empty line at the end", a + b + "\r\n", false, "a=A/3 b=B/4 "},
        {"an empty line stops the rest", a + "\r\n" + b, false, "a=A/3 "},
        {"a blank line stops the rest", a + " \t\r\n" + b, false, "a=A/3 "},
        {"a short first line", "\"x\",\" y\"\r\n" + a, false, ""},
        {"a lone CR LF", "\r\n", false, ""},
        {"a CR left before the end spoils the number", "\"k\",\" a\",\" b\", \" 7\"\r\r\n", true, "k=a/0 "},
        {"Ctrl-Z ends the text", a + "\x1A" + b, true, "a=A/3 "},
    };
    for (const auto& row : rows)
    {
        bool whole = !row.whole;
        EXPECT_EQ(Loaded(row.bytes, whole), row.records) << row.name;
        EXPECT_EQ(whole, row.whole) << row.name;
    }
}

// What the C runtime's text-mode stream makes of the bytes on Windows.
TEST(ContentListText, TextMode)
{
    struct { std::string bytes, text; } const rows[] = {
        {"a\r\nb\r\n", "a\nb\n"}, {"a\r\r\nb", "a\r\nb"}, {"a\rb\n\r", "a\rb\n\r"}, {"\r\n\r\n", "\n\n"},
        {"a\r\n\x1A\r\nb", "a\n"}, {"\x1A", ""}, {"ab\r\x1A\n", "ab\r"}, {std::string("a\0b\r\n", 5), std::string("a\0b\n", 4)},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ToTextMode(row.bytes), row.text) << row.bytes;
}

// Other writers name the mutex byte by byte: a trail byte 0x5C becomes a slash as well.
TEST(ContentListText, LockName)
{
    EXPECT_EQ(ContentListLockName("\\\\server\\share\\l"), "//server/share/l");
    EXPECT_EQ(ContentListLockName("C:\\\x95\x5C\\\x83\x5C.txt"), "C:/\x95//\x83/.txt");
}

TEST(ContentListText, FolderOfPath)
{
    const CCodePage& sjis = TableCodePage(932);
    struct { const char* path; const CCodePage& page; const char* folder; } const rows[] = {
        {"C:\\a\\list.txt", sjis, "C:\\a\\"}, {"C:\\list.txt", sjis, "C:\\"}, {"C:/a/b/list.txt", sjis, "C:/a/b/"},
        {"C:list.txt", sjis, "C:"}, {"z:list.txt", sjis, "z:"}, {"list.txt", sjis, ".\\"}, {"C", sjis, ".\\"},
        {"1:list.txt", sjis, ".\\"}, {"@:l", sjis, ".\\"}, {"[:l", sjis, ".\\"}, {"`:l", sjis, ".\\"}, {"{:l", sjis, ".\\"},
        {"C;list", sjis, ".\\"}, {"C:\\\x95\x5C.txt", sjis, "C:\\"}, {"C:\\\x95\x5C.txt", SingleByteCodePage(), "C:\\\x95\\"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(FolderOfPath(row.path, row.page), row.folder) << row.path;
}
