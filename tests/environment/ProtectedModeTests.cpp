// The work folder's closing backslash; which folder each system uses is seen end to end.
#include "environment/ProtectedMode.h"
#include "framework/CodePage.h"

#include <gtest/gtest.h>

namespace
{
TEST(EnsureTrailingBackslash, LeavesExactlyOneAndStepsByWholeCharacters)
{
    const CCodePage& sjis = TableCodePage(932);
    const CCodePage& latin = SingleByteCodePage();
    struct
    {
        const char* folder;
        const CCodePage& codePage;
        const char* result;
    } const rows[] = {
        {"C:\\Temp", latin, "C:\\Temp\\"},
        {"C:\\Temp\\\\\\", latin, "C:\\Temp\\"},
        {"C:\\\x95\x5c", sjis, "C:\\\x95\x5c\\"}, // 0x95 0x5C is one character, its trail byte no separator
        {"C:\\\x83\x5c\\\\", sjis, "C:\\\x83\x5c\\"},
        {"C:\\\x95\x5c", latin, "C:\\\x95\\"}, // the same bytes end in a real backslash here
        {"C:\\a\x95", sjis, "C:\\a\x95\\"},    // a lone lead byte at the end stands alone
    };
    for (const auto& row : rows)
        EXPECT_EQ(EnsureTrailingBackslash(row.folder, row.codePage), row.result) << row.folder;
}
} // namespace
