#include "contentlist/ContentListText.h"

#include <gtest/gtest.h>

#include <map>

namespace
{
std::string Line(const std::string& key, const std::string& text1, int number = 1)
{
    return "\"" + key + "\",\" " + text1 + "\",\" t\", \" " + std::to_string(number) + "\"\r\n";
}

// "whole" or "stopped", then the records as " key=text1/number" in key order.
std::string Loaded(const std::string& bytes)
{
    ContentRecordMap records;
    std::string text = ParseContentListText(bytes, TableCodePage(932), records) ? "whole" : "stopped";
    for (const auto& entry : std::map<std::string, ContentRecord>(records.begin(), records.end()))
        text += " " + entry.first + "=" + entry.second.Text1 + "/" + std::to_string(entry.second.Number);
    return text;
}
} // namespace

TEST(ContentListText, Lines)
{
    const std::string a = Line("a", "A", 3), b = Line("b", "B", 4);
    struct { const char* name; std::string bytes; const char* loaded; } const rows[] = {
        {"empty", "", "whole"}, {"a lone CR LF", "\r\n", "stopped"}, {"CR LF after each", a + b, "whole a=A/3 b=B/4"},
        {"the last line needs no end", a + b.substr(0, b.size() - 2), "whole a=A/3 b=B/4"},
        {"LF alone", "\"a\",\" A\",\" t\", \" 3\"\n\"b\",\" B\",\" t\", \" 4\"\n", "whole a=A/3 b=B/4"},
        {"last line of a key wins", a + Line("k", "1st") + b + Line("k", "2nd", 2), "whole a=A/3 b=B/4 k=2nd/2"},
        {"keys are case-sensitive", Line("abc", "lower") + Line("ABC", "upper"), "whole ABC=upper/1 abc=lower/1"},
        {"an empty line at the end", a + b + "\r\n", "stopped a=A/3 b=B/4"},
        {"an empty line stops the rest", a + "\r\n" + b, "stopped a=A/3"},
        {"a blank line stops the rest", a + " \t\r\n" + b, "stopped a=A/3"},
        {"a short first line", "\"x\",\" y\"\r\n" + a, "stopped"},
        {"a CR left before the end spoils the number", "\"k\",\" a\",\" b\", \" 7\"\r\r\n", "whole k=a/0"},
        {"Ctrl-Z ends the text", a + "\x1A" + b, "whole a=A/3"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Loaded(row.bytes), row.loaded) << row.name;
    // Each line's parser starts from an empty key, also after a line whose key was stored already.
    ContentRecordMap records;
    auto append = [](const char* line, std::string& key, ContentRecord&) { return !(key += line).empty(); };
    EXPECT_TRUE(ParseContentListLines("k\nk\nz", append, records));
    EXPECT_EQ(records.size(), 2u);
    EXPECT_EQ(records.count("z"), 1u);
}

// What the C runtime's text-mode stream makes of the bytes on Windows.
TEST(ContentListText, TextModeAndLockName)
{
    struct { std::string bytes, text; } const rows[] = {
        {"a\r\nb\r\n", "a\nb\n"}, {"a\r\r\nb", "a\r\nb"}, {"a\rb\n\r", "a\rb\n\r"}, {"\r\n\r\n", "\n\n"},
        {"a\r\n\x1A\r\nb", "a\n"}, {"\x1A", ""}, {std::string("a\0b\r\n", 5), std::string("a\0b\n", 4)},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ToTextMode(row.bytes), row.text) << row.bytes;
    // Backslashes become slashes, stepping over double-byte characters: a trail byte 0x5C stays.
    const std::string path = "C:\\\x95\x5C\\\x83\x5C.txt";
    EXPECT_EQ(ContentListLockName("\\\\server\\share\\l", SingleByteCodePage()), "//server/share/l");
    EXPECT_EQ(ContentListLockName(path, TableCodePage(932)), "C:/\x95\x5C/\x83\x5C.txt");
    EXPECT_EQ(ContentListLockName(path, SingleByteCodePage()), "C:/\x95//\x83/.txt");
}

TEST(ContentListText, FolderOfPath)
{
    const CCodePage& sjis = TableCodePage(932);
    struct { const char* path; const CCodePage& page; const char* folder; } const rows[] = {
        {"C:\\a\\list.txt", sjis, "C:\\a\\"}, {"C:\\list.txt", sjis, "C:\\"}, {"C:/a/b/l", sjis, "C:/a/b/"},
        {"C:list.txt", sjis, "C:"}, {"z:l", sjis, "z:"}, {"a:l", sjis, "a:"}, {"Z:l", sjis, "Z:"}, {"A:l", sjis, "A:"},
        {"C:", sjis, "C:"}, {"\\l", sjis, "\\"}, {"list.txt", sjis, ".\\"}, {"C", sjis, ".\\"}, {"1:l", sjis, ".\\"},
        {"@:l", sjis, ".\\"}, {"[:l", sjis, ".\\"}, {"`:l", sjis, ".\\"}, {"{:l", sjis, ".\\"}, {"C;l", sjis, ".\\"},
        {"C:\\\x95\x5C.txt", sjis, "C:\\"}, {"C:\\\x95\x5C.txt", SingleByteCodePage(), "C:\\\x95\\"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(FolderOfPath(row.path, row.page), row.folder) << row.path;
}
