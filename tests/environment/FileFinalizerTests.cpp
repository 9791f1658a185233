// Placing fetched files on real files under Wine. Which payloads get a reply is decided by the
// record's decoding, tested natively.
#include "environment/FileFinalizer.h"
#include "framework/Exceptions.h"
#include "framework/Handle.h"
#include "tools/dlcpeer/MachineProbes.h"
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
    const char* value = "PendingFileRenameOperations";
    if (::RegGetValueA(HKEY_LOCAL_MACHINE, key, value, RRF_RT_ANY, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return "";
    std::string text(size, '\0');
    ::RegGetValueA(HKEY_LOCAL_MACHINE, key, value, RRF_RT_ANY, nullptr, &text[0], &size);
    return text;
}

// kSource: "data" is fetched; kOlder: a read-only hidden file is in the way; the source is held
// without delete sharing (it cannot be moved) or for delete alone (it can be moved, not read).
constexpr unsigned kSource = 1, kReadOnly = 2, kOlder = 4, kNoDelete = 8, kDeleteOnly = 16;
constexpr DWORD kShared = ERROR_SHARING_VIOLATION, kNoFile = ERROR_FILE_NOT_FOUND,
                kNoPath = ERROR_PATH_NOT_FOUND;

TEST(PlaceFetchedFile, PlacementRules)
{
    struct
    {
        const char* name;
        const char* source;
        const char* destination;
        unsigned setup;
        DWORD error;
        const char* end; // the folder's one name afterwards, holding "data"
        bool copied;     // a new file rather than the fetched one
    } const rows[] = {
        {"over a read-only hidden file", "f.tmp", "m.mp4", kSource | kReadOnly | kOlder, 0, "m.mp4", false},
        {"an executable in any case is copied", "a.eXe", "d.EXE", kSource, 0, "d.EXE", true},
        {"only the source's extension counts", "setup.tmp", "setup.exe", kSource, 0, "setup.exe", false},
        {"no executable extension", "d.exe.txt", "e.txt", kSource, 0, "e.txt", false},
        {"same path in another case", "Re.TXT", "re.txt", kSource | kReadOnly, 0, "Re.TXT", false},
        {"another spelling of the same file", "same.dat", "no\\..\\same.dat", kSource, 0, "same.dat", false},
        {"same executable in another case", "Tool.EXE", "tool.exe", kSource, 0, "tool.exe", true},
        {"same executable under its own name", "tool.exe", "tool.exe", kSource, 0, "tool.exe", true},
        {"failed move aside", "held.exe", "held.exe", kSource | kNoDelete, kShared, "held.exe", false},
        {"failed copy, put back", "held.exe", "held.exe", kSource | kDeleteOnly, kShared, "held.exe", false},
        {"missing source", "absent.tmp", "placed.txt", 0, kNoFile, "", false},
        {"missing executable", "absent.exe", "absent.exe", 0, kNoFile, "", false},
        {"missing destination folder", "real.tmp", "none\\placed.txt", kSource, kNoPath, "real.tmp", false},
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
        ::SetFileAttributesA(source.c_str(),
                             row.setup & kReadOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
        ASSERT_TRUE(prepared && (!(row.setup & kSource) || testfiles::GiveOwnDacl(source))) << row.name;
        const ULONGLONG fetched = FileIndex(source);
        CFileHandle held;
        if (row.setup & (kNoDelete | kDeleteOnly))
            held.Reset(::CreateFileA(source.c_str(), row.setup & kNoDelete ? GENERIC_READ : DELETE,
                                     row.setup & kNoDelete ? FILE_SHARE_READ : FILE_SHARE_DELETE, nullptr,
                                     OPEN_EXISTING, 0, nullptr));
        EXPECT_EQ(PlaceFetchedFile({source, destination}), row.error) << row.name;
        held.Reset();
        const bool placed = row.setup & kSource;
        EXPECT_EQ(folder.Names(), placed ? Names{row.end} : Names()) << row.name; // no TMP file left
        const std::string end = folder.File(row.end);
        EXPECT_TRUE(row.error != 0 || testfiles::Attributes(end) == 0) << row.name; // read-only, hidden gone
        EXPECT_TRUE(!placed || testfiles::ReadBytes(end) == "data") << row.name;
        // Moved or copied, the file has the permissions of one created there.
        EXPECT_TRUE(!placed || row.error != 0 || peerkit::probes::HasFolderDacl(end)) << row.name;
        EXPECT_TRUE(!placed || (FileIndex(end) != fetched) == row.copied) << row.name;
        // Nothing of ours may be deleted at the next restart, least of all the placed file.
        const std::string tag = folder.Path().substr(folder.Path().find_last_of('\\') + 1);
        EXPECT_EQ(PendingRenames().find(tag), std::string::npos) << row.name;
    }
}

// A policy that cannot be read refuses command 3 with the number of its failure, and touches
// nothing; it is asked only for a whole record.
TEST(FinishResultFor, AnUnreadablePolicyRefusesWithItsError)
{
    testfiles::CTempFolder folder("unreadable");
    const std::string source = folder.File("fetched.tmp"), destination = folder.File("placed.txt");
    ASSERT_TRUE(testfiles::WriteBytes(source, "data"));
    std::vector<std::uint8_t> payload(524, 0);
    payload[0] = 0x0C;
    payload[1] = 0x02;
    std::copy(source.begin(), source.end(), payload.begin() + 4);
    std::copy(destination.begin(), destination.end(), payload.begin() + 264);
    struct
    {
        const char* name;
        std::function<FinishPolicy()> readPolicy;
        std::uint32_t result;
    } const rows[] = {
        {"registry failure", [] () -> FinishPolicy { throw CResourceException(ERROR_KEY_DELETED); }, ERROR_KEY_DELETED},
        {"file failure", [] () -> FinishPolicy { throw CFileException(ERROR_LOCK_VIOLATION, "x"); }, ERROR_LOCK_VIOLATION},
        {"no memory", [] () -> FinishPolicy { throw std::bad_alloc(); }, ERROR_NOT_ENOUGH_MEMORY},
        {"a failure without a number", [] () -> FinishPolicy { throw CUserException(0); }, ERROR_GEN_FAILURE},
    };
    for (const auto& row : rows)
    {
        EXPECT_EQ(FinishResultFor(payload, row.readPolicy, CChosenFolders()), row.result) << row.name;
        EXPECT_EQ(folder.Names(), Names{"fetched.tmp"}) << row.name;
    }
    const auto unasked = [] () -> FinishPolicy { throw CResourceException(ERROR_KEY_DELETED); };
    EXPECT_EQ(FinishResultFor(std::vector<std::uint8_t>(payload.begin(), payload.end() - 1), unasked, CChosenFolders()),
              std::nullopt);
    EXPECT_EQ(FinishResultFor(payload, [] { return FinishPolicy::AsNamed; }, CChosenFolders()), 0u);
    EXPECT_EQ(folder.Names(), Names{"placed.txt"});
}
} // namespace
