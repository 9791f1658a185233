// Placing fetched files on real files under Wine. Which payloads get a reply is decided by the
// record's decoding, tested natively.
#include "environment/FileFinalizer.h"
#include "framework/Handle.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

namespace
{
using testfiles::FileIndex;
using Names = std::vector<std::string>;

// The names scheduled for deletion at the next restart; an old prefix may hold many of them.
std::string PendingRenames()
{
    const char* key = "System\\CurrentControlSet\\Control\\Session Manager";
    DWORD size = 0;
    if (::RegGetValueA(HKEY_LOCAL_MACHINE, key, "PendingFileRenameOperations", RRF_RT_ANY, nullptr, nullptr, &size))
        return "";
    std::string text(size, '\0');
    ::RegGetValueA(HKEY_LOCAL_MACHINE, key, "PendingFileRenameOperations", RRF_RT_ANY, nullptr, &text[0], &size);
    return text;
}

// kSource: the fetched file exists, holding "data"; kOlder: a read-only, hidden file lies at the
// destination; kHeldNoDelete: the source is held open without delete sharing, so it cannot be
// moved; kHeldForDelete: it is held for delete alone, so it can be moved but not read.
enum Setup : unsigned { kSource = 1, kReadOnly = 2, kOlder = 4, kHeldNoDelete = 8, kHeldForDelete = 16 };
// Where "data" lies afterwards: the fetched file itself, a new file, nowhere.
enum Outcome { kMoved, kCopied, kGone };

TEST(PlaceFetchedFile, PlacementRules)
{
    struct
    {
        const char* name;
        const char* source;
        const char* destination;
        unsigned setup;
        DWORD error;
        const char* end; // the folder's one name afterwards
        Outcome outcome;
    } const rows[] = {
        {"moved over a read-only hidden file", "f.tmp", "m.mp4", kSource | kReadOnly | kOlder, 0, "m.mp4", kMoved},
        {"an executable in any case is copied", "a.eXe", "d.EXE", kSource, 0, "d.EXE", kCopied},
        {"only the source's extension counts", "setup.tmp", "setup.exe", kSource, 0, "setup.exe", kMoved},
        {"no executable extension", "d.exe.txt", "e.txt", kSource, 0, "e.txt", kMoved},
        {"same path in another case stays", "Report.TXT", "report.txt", kSource | kReadOnly, 0, "Report.TXT", kMoved},
        {"another spelling of the same file", "same.dat", "no\\..\\same.dat", kSource, 0, "same.dat", kMoved},
        {"same executable in another case renewed", "Tool.EXE", "tool.exe", kSource, 0, "tool.exe", kCopied},
        {"same executable renewed under its name", "tool.exe", "tool.exe", kSource, 0, "tool.exe", kCopied},
        {"failed move aside", "held.exe", "held.exe", kSource | kHeldNoDelete, ERROR_SHARING_VIOLATION, "held.exe", kMoved},
        {"failed copy puts it back", "held.exe", "held.exe", kSource | kHeldForDelete, ERROR_SHARING_VIOLATION, "held.exe", kMoved},
        {"missing source", "absent.tmp", "placed.txt", 0, ERROR_FILE_NOT_FOUND, "", kGone},
        {"missing executable", "absent.exe", "absent.exe", 0, ERROR_FILE_NOT_FOUND, "", kGone},
        {"missing destination folder", "real.tmp", "none\\placed.txt", kSource, ERROR_PATH_NOT_FOUND, "real.tmp", kMoved},
    };
    for (const auto& row : rows)
    {
        testfiles::CTempFolder folder("finalizer");
        const std::string source = folder.File(row.source);
        const std::string destination = folder.File(row.destination);
        bool prepared = !(row.setup & kSource) || testfiles::WriteBytes(source, "data");
        prepared = prepared && (!(row.setup & kOlder) || testfiles::WriteBytes(destination, "older"));
        if (row.setup & kOlder)
            ::SetFileAttributesA(destination.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
        ::SetFileAttributesA(source.c_str(), row.setup & kReadOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
        ASSERT_TRUE(prepared) << row.name;
        const ULONGLONG fetched = FileIndex(source);
        CFileHandle held;
        if (row.setup & (kHeldNoDelete | kHeldForDelete))
            held.Reset(::CreateFileA(source.c_str(), row.setup & kHeldNoDelete ? GENERIC_READ : DELETE,
                                     row.setup & kHeldNoDelete ? FILE_SHARE_READ : FILE_SHARE_DELETE, nullptr,
                                     OPEN_EXISTING, 0, nullptr));
        EXPECT_EQ(PlaceFetchedFile({source, destination}), row.error) << row.name;
        held.Reset();
        EXPECT_EQ(folder.Names(), row.outcome == kGone ? Names() : Names{row.end}) << row.name; // no TMP file
        const std::string end = folder.File(row.end);
        EXPECT_TRUE(row.error != 0 || testfiles::Attributes(end) == 0) << row.name; // read-only and hidden gone
        EXPECT_TRUE(row.outcome == kGone || testfiles::ReadBytes(end) == "data") << row.name;
        EXPECT_TRUE(row.outcome == kGone || (FileIndex(end) == fetched) == (row.outcome == kMoved)) << row.name;
        // Nothing of ours may be deleted at the next restart, least of all the placed file.
        const std::string tag = folder.Path().substr(folder.Path().find_last_of('\\') + 1);
        EXPECT_EQ(PendingRenames().find(tag), std::string::npos) << row.name;
    }
}
} // namespace
