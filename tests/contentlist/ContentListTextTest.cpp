#include "contentlist/ContentListText.h"
#include "contentlist/WantedRecords.h"

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
    CContentRecordMap records;
    std::string text = ParseContentListText(bytes, TableCodePage(932), records) ? "whole" : "stopped";
    std::map<std::string_view, ContentRecordView> sorted(records.begin(), records.end());
    for (const auto& [key, record] : sorted)
        text += " " + std::string(key) + "=" + std::string(record.Text1) + "/" +
                std::to_string(record.Number);
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
        {"a short first line", "\"x\",\" y\"\r\n" + a, "stopped"}, {"a short last line without its end", a + "\"x\",\" y\"", "stopped a=A/3"},
        {"a CR left before the end spoils the number", "\"k\",\" a\",\" b\", \" 7\"\r\r\n", "whole k=a/0"},
        {"and so does a CR at the very end", a + "\"k\",\" a\",\" b\", \" 7\"\r", "whole a=A/3 k=a/0"},
        {"a CR inside a line stays", "\"k\",\" a\rb\",\" t\", \" 1\"\r\n", "whole k=a\rb/1"},
        {"Ctrl-Z ends the text", a + "\x1A" + b, "whole a=A/3"},
        {"Ctrl-Z first", "\x1A" + a, "whole"},
        {"Ctrl-Z between CR and LF", a.substr(0, a.size() - 2) + "\r\x1A\n" + b, "whole a=A/0"},
        {"a NUL ends a line", Line("k", "a", 5).substr(0, 19) + '\0' + "x\r\n" + b, "whole b=B/4 k=a/5"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Loaded(row.bytes), row.loaded) << row.name;
    // Lines read as they are, a CR before the LF too; each line's parser starts from an empty key and
    // record, also after a line whose key was stored already.
    CContentRecordMap records;
    auto append = [](const char* line, std::string& key, ContentRecord& record) {
        const bool fresh = key.empty() && record.Text1.empty() && record.Text2.empty() && record.Number == 0;
        key += line;
        record = ContentRecord{"1", "2", 3};
        return fresh && !key.empty();
    };
    EXPECT_TRUE(ParseContentListLines("k\r\nk\nk\nz", append, records));
    EXPECT_EQ(records.Size(), 3u);
    EXPECT_NE(records.Find("k\r"), nullptr);
}

// The streaming look-up answers as the whole parse, wherever the pieces break the text: Text1 of each
// wanted key, and nothing at all for a list that stops early.
TEST(ContentListText, WantedRecordsAgreeWithTheWholeParse)
{
    const std::string a = Line("a", "A", 3), b = Line("b", "B", 4);
    const std::string texts[] = {"", a + b, a + Line("a", "A2") + b.substr(0, b.size() - 2) + "\r",
                                 a + "\r\n" + b, a + "\x1A" + b, b + "\"x\",\" y\"\r\n", a + b + "\r\n", a + "\"x\",\" y\""};
    const std::vector<std::string> keys = {"a", "b", "c", "a"};
    for (const std::string& text : texts)
    {
        CContentRecordMap records;
        const bool whole = ParseContentListText(text, SingleByteCodePage(), records);
        std::vector<std::string> expected;
        for (const std::string& key : keys)
            expected.push_back(whole && records.Find(key) ? std::string(records.Find(key)->Text1) : "");
        for (std::size_t piece = 1; piece <= text.size() + 1; ++piece)
        {
            CWantedRecords wanted(keys, SingleByteCodePage(), LineEnds::RawBytes);
            for (std::size_t pos = 0; pos < text.size(); pos += piece)
                wanted.Feed(std::string_view(text).substr(pos, piece));
            EXPECT_EQ(wanted.Finish(), expected) << text << " in pieces of " << piece;
        }
    }
}

TEST(ContentListText, LockName)
{
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
