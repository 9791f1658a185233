#include "environment/PlacementPlan.h"
#include "framework/Exceptions.h"

#include <gtest/gtest.h>

namespace
{
const char* PlanName(PlacementPlan plan)
{
    switch (plan)
    {
    case PlacementPlan::Copy:
        return "copy";
    case PlacementPlan::CopyInPlace:
        return "copy in place";
    case PlacementPlan::Move:
        return "move";
    case PlacementPlan::KeepInPlace:
        return "keep";
    }
    return "?";
}

// The source's extension decides copy or move, the same path (but for case) in place or not; the
// extension is read as PathFindExtension reads it, by whole characters of the code page.
TEST(PlanPlacement, ByExtensionAndPath)
{
    struct
    {
        const char* name;
        std::string source, destination;
        unsigned codePage;
        const char* plan;
    } const rows[] = {
        {"an executable in any case", "C:\\w\\a.eXe", "D:\\d\\a.EXE", 1252, "copy"},
        {"only the source's extension counts", "C:\\w\\setup.tmp", "C:\\d\\setup.exe", 1252, "move"},
        {"the last dot counts", "C:\\w\\d.exe.txt", "C:\\d\\e.exe", 1252, "move"},
        {"a dot of a folder is no extension", "C:\\w.exe\\file", "C:\\d\\file", 1252, "move"},
        {"a space after the dot ends the extension", "C:\\w\\a.exe b", "C:\\d\\a.exe b", 1252, "move"},
        {"a space before the dot does not", "C:\\w\\my file.exe", "C:\\d\\f.exe", 1252, "copy"},
        {"a longer extension", "C:\\w\\a.exes", "C:\\d\\a.exes", 1252, "move"},
        {"no dot at all", "C:\\w\\exe", "C:\\d\\exe", 1252, "move"},
        {"a name that is only the extension", ".exe", "C:\\d\\a.exe", 1252, "copy"},
        {"the same executable in another case", "C:\\w\\Tool.EXE", "c:\\w\\tool.exe", 1252, "copy in place"},
        {"the same file in another case", "C:\\w\\Re.TXT", "C:\\W\\re.txt", 1252, "keep"},
        {"so (83 5C) ends a name, not the folder", "C:\\w\\\x83\x5C.exe", "C:\\d\\a.exe", 932, "copy"},
        {"hyou (95 5C) before the dot", "C:\\\x95\x5C.exe", "C:\\\x95\x5C.exe", 932, "copy in place"},
        {"a lead byte takes the dot with it", "C:\\w\\\x95.exe", "C:\\d\\a", 932, "move"},
        {"where 0x95 stands alone", "C:\\w\\\x95.exe", "C:\\d\\a", 1252, "copy"},
    };
    for (const auto& row : rows)
        EXPECT_STREQ(PlanName(PlanPlacement({row.source, row.destination}, row.codePage)), row.plan) << row.name;
}

// A failed step is thrown with its number for the edge to answer with; 0 would read as success.
TEST(FailPlacement, CarriesTheNumberAndNeverZero)
{
    for (std::uint32_t error : {0u, 5u, 112u})
    {
        try
        {
            FailPlacement(error);
        }
        catch (const CUserException& failure)
        {
            EXPECT_EQ(failure.Error(), error ? error : 31u) << error;
        }
    }
}
} // namespace
