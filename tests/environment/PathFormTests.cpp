#include "environment/PathForm.h"

#include <gtest/gtest.h>

namespace
{
constexpr unsigned kUnc = kPathUnc, kDev = kPathDevicePrefix, kName = kPathDeviceName;
constexpr unsigned kCtl = kPathControlBytes, kRel = kPathRelative, kRoot = kPathDriveOrRoot;
constexpr unsigned kDot = kPathDotComponent, kOut = kPathClimbsOut, kEnd = kPathTrailingDotOrSpace;
constexpr unsigned kAds = kPathStreamColon;

TEST(PathForm, Classify)
{
    struct { const char* path; unsigned forms; } const rows[] = {
        {"C:\\d\\f.txt", kRoot}, {"c:\\", kRoot}, {"C:f", kRel | kRoot}, {"C:", kRel | kRoot},
        {"f.txt", kRel}, {"d\\f", kRel}, {"", kRel}, {"\\f", kRel | kRoot}, {"/f", kRel | kRoot},
        {"\\\\srv\\s\\f", kUnc | kRoot}, {"//srv/s/f", kUnc | kRoot}, {"\\/srv\\s", kUnc | kRoot},
        {"\\\\.\\pipe\\p", kDev | kRoot | kRel | kDot}, {"\\\\?\\C:\\f", kDev | kRoot | kRel | kAds},
        {"\\??\\C:\\f", kDev | kRoot | kRel | kAds}, {"//./COM1", kDev | kRoot | kRel | kDot | kName},
        {"\\\\?x\\f", kUnc | kRoot}, {"\\?\\f", kRel | kRoot}, {"\\\\.", kUnc | kRoot | kDot},
        {"C:\\CON", kRoot | kName}, {"C:\\con.txt", kRoot | kName}, {"C:\\Nul .x", kRoot | kName},
        {"C:\\d\\aux\\f", kRoot | kName}, {"prn", kRel | kName}, {"COM1", kRel | kName},
        {"lpt9.a", kRel | kName},
        {"COM0", kRel}, {"COM10", kRel}, {"LPT", kRel}, {"COMA", kRel}, {"CONIN$", kRel | kName},
        {"conout$.x", kRel | kName}, {"CONSOLE", kRel}, {"xCON", kRel}, {"C:\\a\x1F", kRoot | kCtl},
        {"C:\\a\n", kRoot | kCtl}, {"C:\\a ", kRoot | kEnd}, {"C:\\a.\\b", kRoot | kEnd}, {"C:\\a b", kRoot},
        {"C:\\.\\a", kRoot | kDot}, {"C:\\a\\..\\b", kRoot | kDot}, {"..\\a", kRel | kDot | kOut},
        {"a\\..\\..\\b", kRel | kDot | kOut}, {"a\\b\\..\\..\\c", kRel | kDot}, {"C:\\f:s", kRoot | kAds},
        {"f:s", kRel | kRoot}, {"1:\\f", kRel | kAds}, {"@:\\f", kRel | kAds}, {"A:\\f", kRoot},
        {"Z:\\f", kRoot}, {"a:\\f", kRoot}, {"z:\\f", kRoot}, {"[:\\f", kRel | kAds}, {"`:\\f", kRel | kAds},
        {"{:\\f", kRel | kAds}, {"C:/f", kRel | kRoot}, {"\\\\.\\", kDev | kRoot | kRel | kDot},
        {"\\\\?", kUnc | kRoot}, {"\\??", kRel | kRoot}, {"/?" "?/x", kDev | kRoot | kRel},
        {"COM9", kRel | kName},
        {"LPT0", kRel}, {"COM:", kRel | kAds}, {"x:\\a:b", kRoot | kAds}, {"C::", kRel | kRoot | kAds},
        // Near misses of the device prefixes, and the edges of the depth count and the stream scan.
        {"\\x.\\f", kRel | kRoot | kEnd}, {"x\\.\\f", kRel | kDot}, {"\\?x\\f", kRel | kRoot},
        {"\\x?\\f", kRel | kRoot}, {"\\\\", kUnc | kRoot}, {"C:\\..\\a", kRoot | kDot | kOut},
        {"C:x\\..", kRel | kRoot | kDot}, {"a\\\\..\\..\\b", kRel | kDot | kOut}, {":x", kRel | kAds},
        {"C:\\x\\NUL:", kRoot | kName | kAds}, {"C:\\x\\COM1:y", kRoot | kName | kAds},
        {"C:\\x\\con :s", kRoot | kName | kAds}, {"C:\\x\\COM10:y", kRoot | kAds}, {"NULx:", kRel | kAds},
        {"COM\xB9", kRel | kName}, {"LPT\xB2.txt", kRel | kName}, {"lpt\xB3", kRel | kName},
        {"COM\xB9x", kRel}, {"COM\xB4", kRel}, {"COM\xB0", kRel}, {"COM\xBA", kRel}, {"COM\x81", kRel},
        {"CO\xB9", kRel},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ClassifyPath(row.path, SingleByteCodePage()), row.forms) << row.path;
}

// A trail byte 0x5C belongs to its character: no component ends there, and no device name appears.
TEST(PathForm, DoubleByteCharactersAreWhole)
{
    const std::string path = "C:\\\x83\x5C" "CON.txt";
    EXPECT_EQ(ClassifyPath(path, TableCodePage(932)), kRoot);
    EXPECT_EQ(ClassifyPath(path, SingleByteCodePage()), kRoot | kName);
    EXPECT_EQ(ClassifyPath("a\x81\x2E", TableCodePage(932)), kRel);
    EXPECT_EQ(ClassifyPath("COM\xB9", TableCodePage(932)), kRel); // a katakana there, not a superscript
    EXPECT_EQ(ClassifyPath("COM\x81\x31", TableCodePage(932)), kRel);
}

TEST(PathForm, PeerPathChecks)
{
    struct { const char* path; bool local, inside; } const rows[] = {
        {"C:\\l.csv", true, false}, {"l.csv", false, true}, {"d\\..\\l", false, true},
        {"..\\l", false, false}, {"\\l", false, false}, {"C:l", false, false}, {"C:/l", false, false},
        {"C:\\NUL:", false, false},
        {"\\\\s\\h\\l", false, false}, {"\\\\.\\p", false, false},
        {"NUL", false, false}, {"a\tb", false, false}, {"a:b", false, false}, {"a.", false, true},
    };
    for (const auto& row : rows)
    {
        EXPECT_EQ(IsLocalPeerPath(row.path, SingleByteCodePage()), row.local) << row.path;
        EXPECT_EQ(IsNameInsideFolder(row.path, SingleByteCodePage()), row.inside) << row.path;
    }
    EXPECT_EQ(VisibleText(std::string("a\0\x1F\x20\x95\x5C\n", 7)), std::string("a?? \x95\x5C?"));
}

// What the stricter placement policies accept, for a source and for a destination.
TEST(PathForm, PlacementPaths)
{
    struct { const char* path; bool source, destination; } const rows[] = {
        {"C:\\d\\f.txt", true, true}, {"z:\\f", true, true}, {"\\\\srv\\s\\f", false, true},
        {"\\\\srv\\s\\", false, true}, {"\\\\srv\\s", false, false}, {"\\\\srv\\\\f", false, false},
        {"\\\\\\s\\f", false, false}, {"\\\\\\s\\t\\f", false, false},
        {"\\\\srv\\\\f\\g", false, false}, {"\\\\srv/s\\f", false, false}, {"\\\\srv\\s\\a/b", false, false},
        {"\\\\?\\C:\\f", false, false}, {"\\\\.\\C:\\f", false, false}, {"\\??\\C:\\f", false, false},
        {"C:\\d\\CON", false, false}, {"C:\\lpt1.txt\\f", false, false}, {"C:\\f:s", false, false},
        {"C:\\d.\\f", false, false}, {"C:\\d\\f ", false, false}, {"C:\\.\\f", false, false},
        {"C:\\d\\..\\f", false, false}, {"C:f", false, false}, {"C:/f", false, false}, {"\\f", false, false},
        {"f", false, false}, {"", false, false}, {"C:\\a\tb", false, false}, {"\\\\srv\\s\\..\\f", false, false},
    };
    for (const auto& row : rows)
    {
        EXPECT_EQ(IsPlainPlacementPath(row.path, SingleByteCodePage(), PlacementEnd::Source), row.source) << row.path;
        EXPECT_EQ(IsPlainPlacementPath(row.path, SingleByteCodePage(), PlacementEnd::Destination), row.destination)
            << row.path;
    }
}

// The code pages among 932, 1252 and 936 under which two paths are the same: whole characters,
// single-byte letters and cp932's full-width Latin, Greek and Cyrillic letters fold, nothing else.
TEST(SamePathIgnoringCase, ByCodePage)
{
    const char* all = "932 1252 936 ";
    struct { std::string first, second; const char* same; } const rows[] = {
        {"C:\\Dir\\File.TXT", "c:\\dir\\file.txt", all}, {"az", "AZ", all}, {"", "", all}, {"a.txt", "b.txt", ""},
        {"a.txt", "a.txt2", ""}, {"a.txt2", "a.txt", ""}, {"@", "`", ""}, {"[", "{", ""}, // neighbours of letters
        // cp932 full-width a-z (82 81-9A), Greek (83 BF-D6), Cyrillic (84 70-7E, 84 80-91) and one past.
        {"\x82\x81", "\x82\x60", "932 "}, {"\x82\x9A", "\x82\x79", "932 "}, {"\x82\x80", "\x82\x5F", ""},
        {"\x82\x9B", "\x82\x7A", ""}, {"\x83\xBF", "\x83\x9F", "932 "}, {"\x83\xD6", "\x83\xB6", "932 "},
        {"\x83\xBE", "\x83\x9E", ""}, {"\x83\xD7", "\x83\xB7", ""}, {"\x84\x70", "\x84\x40", "932 "},
        {"\x84\x7E", "\x84\x4E", "932 "}, {"\x84\x6F", "\x84\x3F", ""}, {"\x84\x7F", "\x84\x4F", ""},
        {"\x84\x7F", "\x84\x4E", ""}, {"\x84\x80", "\x84\x4F", "932 "}, {"\x84\x91", "\x84\x60", "932 "},
        {"\x84\x92", "\x84\x61", ""},
        // Trail bytes that look like letters do not fold; a trail byte 0x5C is no separator.
        {"C:\\\x83\x41", "C:\\\x83\x61", "1252 "}, {"\x81\x41", "\x81\x61", "1252 "},
        {"C:\\\x95\x5C\\Ab", "c:\\\x95\x5C\\aB", all}, {"C:\\\x95\x5C", "C:\\\x95\x7C", ""},
        {"a\x95", "A\x95", all}, {"\x95x", "\x95X", "1252 "}, // a lead byte alone at the end; one that takes x
        {"\xA3\xC1", "\xA3\xE1", ""}, {"\xA3\xC1z", "\xA3\xC1Z", all},
    };
    for (const auto& row : rows)
    {
        std::string same;
        for (unsigned page : {932u, 1252u, 936u})
            same += SamePathIgnoringCase(row.first, row.second, page) ? std::to_string(page) + " " : "";
        EXPECT_EQ(same, row.same) << row.first << " " << row.second;
    }
}
} // namespace
