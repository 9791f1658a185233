#include "environment/ProtectedMode.h"
#include "framework/CodePage.h"

#include <gtest/gtest.h>

namespace
{
const CCodePage& ShiftJis = TableCodePage(932);
const CCodePage& Latin = SingleByteCodePage();

TEST(EnsureTrailingBackslash, LeavesExactlyOne)
{
    EXPECT_EQ(EnsureTrailingBackslash("C:\\Temp", Latin), "C:\\Temp\\");
    EXPECT_EQ(EnsureTrailingBackslash("C:\\Temp\\", Latin), "C:\\Temp\\");
    EXPECT_EQ(EnsureTrailingBackslash("C:\\Temp\\\\\\", Latin), "C:\\Temp\\");
    EXPECT_EQ(EnsureTrailingBackslash("", Latin), "\\");
    EXPECT_EQ(EnsureTrailingBackslash("\\\\", Latin), "\\");
}

TEST(EnsureTrailingBackslash, TrailByte5CIsPartOfItsCharacter)
{
    // 0x95 0x5C is one cp932 character; its trail byte is no separator.
    EXPECT_EQ(EnsureTrailingBackslash("C:\\\x95\x5c", ShiftJis), "C:\\\x95\x5c\\");
    EXPECT_EQ(EnsureTrailingBackslash("C:\\\x83\x5c\\\\", ShiftJis), "C:\\\x83\x5c\\");
    // Under a single-byte page the same bytes end in a real backslash.
    EXPECT_EQ(EnsureTrailingBackslash("C:\\\x95\x5c", Latin), "C:\\\x95\\");
}

TEST(EnsureTrailingBackslash, LoneLeadByteAtTheEndStandsAlone)
{
    EXPECT_EQ(EnsureTrailingBackslash("C:\\a\x95", ShiftJis), "C:\\a\x95\\");
}

TEST(ClassifyVersion, NtSixAndLaterPass)
{
    EXPECT_EQ(ClassifyVersion(VER_PLATFORM_WIN32_NT, 6), 1);
    EXPECT_EQ(ClassifyVersion(VER_PLATFORM_WIN32_NT, 10), 1);
    EXPECT_EQ(ClassifyVersion(VER_PLATFORM_WIN32_NT, 5), 0);
    EXPECT_EQ(ClassifyVersion(VER_PLATFORM_WIN32_NT, 4), 0);
    // Not the NT family (or a failed call's zeros): no answer to keep.
    EXPECT_EQ(ClassifyVersion(VER_PLATFORM_WIN32_WINDOWS, 6), -1);
    EXPECT_EQ(ClassifyVersion(0, 0), -1);
}

struct FolderSources
{
    bool lowTempOk = true;
    std::string lowTemp = "C:\\users\\u\\AppData\\Local\\Temp\\Low";
    std::string temp = "C:\\users\\u\\Temp\\";
    int lowTempCalls = 0;
    int tempCalls = 0;

    bool Choose(bool vista, std::string& folder)
    {
        return ChooseWorkFolder(
            vista,
            [&](std::string& out) {
                ++lowTempCalls;
                out = lowTemp;
                return lowTempOk;
            },
            [&] {
                ++tempCalls;
                return temp;
            },
            Latin, folder);
    }
};

TEST(ChooseWorkFolder, VistaAndLaterUseTheLowIntegrityFolder)
{
    FolderSources sources;
    std::string folder;
    ASSERT_TRUE(sources.Choose(true, folder));
    EXPECT_EQ(folder, "C:\\users\\u\\AppData\\Local\\Temp\\Low\\");
    EXPECT_EQ(sources.tempCalls, 0);
}

TEST(ChooseWorkFolder, NoLowFolderMeansNoFolderNotTheOrdinaryOne)
{
    FolderSources sources;
    sources.lowTempOk = false;
    std::string folder = "unchanged";
    EXPECT_FALSE(sources.Choose(true, folder));
    EXPECT_EQ(folder, "unchanged");
    EXPECT_EQ(sources.tempCalls, 0);
}

TEST(ChooseWorkFolder, XpUsesTheTemporaryPathWithOneBackslash)
{
    FolderSources sources;
    sources.temp = "C:\\TEMP\\\\";
    std::string folder;
    ASSERT_TRUE(sources.Choose(false, folder));
    EXPECT_EQ(folder, "C:\\TEMP\\");
    EXPECT_EQ(sources.lowTempCalls, 0);

    sources.temp.clear();
    EXPECT_FALSE(sources.Choose(false, folder));
}

TEST(GetLowTempFolder, EndsInTempLowWithoutBackslash)
{
    std::string folder;
    ASSERT_TRUE(GetLowTempFolder(folder));
    ASSERT_GT(folder.size(), 9u);
    EXPECT_EQ(folder.substr(folder.size() - 9), "\\Temp\\Low");
    EXPECT_EQ(folder.find("\\\\"), std::string::npos);
}

TEST(IsVistaOrLater, AnswerIsStable)
{
    bool first = IsVistaOrLater();
    EXPECT_EQ(IsVistaOrLater(), first);
}
} // namespace
