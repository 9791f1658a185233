// The placing under Wine on real files, and command 3's decoding-to-reply path through a fake link.
#include "environment/FileFinalizer.h"
#include "peer/PeerLink.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

namespace
{
using Bytes = std::vector<std::uint8_t>;

using testfiles::CTempFolder;
using testfiles::FileExists;
using testfiles::FileIndex;
using testfiles::ReadBytes;
using testfiles::WriteBytes;

// Names in the folder that start with "TMP" (Wine writes them in lower case after it).
size_t CountTmpFiles(const CTempFolder& folder)
{
    return folder.Names("TMP*.tmp").size();
}

struct SentReply
{
    DWORD code;
    Bytes data;
};

class CFakeLink final : public IPeerLink
{
  public:
    HWND PeerWindow() const override { return nullptr; }
    HWND ReplyWindow() const override { return nullptr; }
    bool StopRequested() const override { return false; }
    HANDLE ChooserMutex() const override { return nullptr; }
    void SetOpenChooserDialog(HWND) override {}
    LRESULT SendReply(DWORD replyCode, const void* data, DWORD size) override
    {
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        replies.push_back({replyCode, Bytes(bytes, bytes + size)});
        return TRUE;
    }
    std::vector<SentReply> replies;
};

Bytes Record(const std::string& source, const std::string& destination, std::uint32_t sizeTag = 524)
{
    Bytes bytes(kFinishRequestSize, 0);
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<std::uint8_t>(sizeTag >> (8 * i));
    std::copy(source.begin(), source.end(), bytes.begin() + 4);
    std::copy(destination.begin(), destination.end(), bytes.begin() + 264);
    return bytes;
}

Bytes FinishResult(std::uint32_t error)
{
    return Bytes{static_cast<std::uint8_t>(error), static_cast<std::uint8_t>(error >> 8),
                 static_cast<std::uint8_t>(error >> 16), static_cast<std::uint8_t>(error >> 24)};
}

class HandleFinishRequestTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(WriteBytes(source, "fetched"));
        ASSERT_TRUE(WriteBytes(destination, "older"));
        ::SetFileAttributesA(destination.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    }
    void ExpectUntouched()
    {
        EXPECT_EQ(ReadBytes(source), "fetched");
        EXPECT_EQ(ReadBytes(destination), "older");
        EXPECT_EQ(::GetFileAttributesA(destination.c_str()) &
                      (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN),
                  static_cast<DWORD>(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    }

    CTempFolder folder{"finalizer"};
    std::string source = folder.File("fetched.tmp");
    std::string destination = folder.File("placed.txt");
    CFakeLink link;
};

TEST_F(HandleFinishRequestTest, ShortPayloadOrForeignTagGetsNoReplyAndTouchesNothing)
{
    Bytes record = Record(source, destination);
    HandleFinishRequest(link, Bytes(record.begin(), record.begin() + 523));
    HandleFinishRequest(link, Bytes(record.begin(), record.begin() + 300));
    HandleFinishRequest(link, Bytes());
    HandleFinishRequest(link, Record(source, destination, 1316));
    EXPECT_TRUE(link.replies.empty());
    ExpectUntouched();
}

TEST_F(HandleFinishRequestTest, UnusablePathIsRefusedAndTouchesNothing)
{
    Bytes unterminated = Record(source, destination);
    std::fill(unterminated.begin() + 264 + static_cast<std::ptrdiff_t>(destination.size()),
              unterminated.end(), 'x');
    HandleFinishRequest(link, unterminated);
    HandleFinishRequest(link, Record(source, ""));
    ASSERT_EQ(link.replies.size(), 2u);
    EXPECT_EQ(link.replies[0].data, FinishResult(206));
    EXPECT_EQ(link.replies[1].data, FinishResult(87));
    ExpectUntouched();
}

TEST(PlaceFetchedFile, AnotherSpellingOfTheSameFileKeepsIt)
{
    CTempFolder folder("finalizer");
    std::string file = folder.File("same.dat");
    ASSERT_TRUE(WriteBytes(file, "payload"));
    std::string detour = folder.Path() + "\\nowhere\\..\\same.dat";
    EXPECT_EQ(PlaceFetchedFile({file, detour}), 0u);
    EXPECT_EQ(ReadBytes(file), "payload");

    // Its own path is no leftover: nothing may be scheduled for deletion at restart.
    HKEY key = nullptr;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager", 0,
                              KEY_QUERY_VALUE, &key),
              ERROR_SUCCESS);
    std::vector<char> pending(65536, '\0');
    DWORD size = static_cast<DWORD>(pending.size());
    LONG status = ::RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, nullptr,
                                     reinterpret_cast<BYTE*>(pending.data()), &size);
    ::RegCloseKey(key);
    if (status == ERROR_SUCCESS)
    {
        std::string text(pending.data(), size);
        std::string name = folder.Path().substr(folder.Path().find_last_of('\\') + 1);
        EXPECT_EQ(text.find(name), std::string::npos);
    }
    else
    {
        EXPECT_EQ(status, ERROR_FILE_NOT_FOUND);
    }
}

TEST(PlaceFetchedFile, FailedMoveAsideLeavesTheExecutableAndNoTmpFile)
{
    CTempFolder folder("finalizer");
    std::string program = folder.File("setup.exe");
    EXPECT_EQ(PlaceFetchedFile({program, program}), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(CountTmpFiles(folder), 0u);

    // Held open without delete sharing, the file cannot be moved aside.
    ASSERT_TRUE(WriteBytes(program, "MZ"));
    HANDLE held =
        ::CreateFileA(program.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(PlaceFetchedFile({program, program}), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    ::CloseHandle(held);
    EXPECT_EQ(CountTmpFiles(folder), 0u);
    EXPECT_EQ(ReadBytes(program), "MZ");
}

TEST(PlaceFetchedFile, ExecutableExtensionInAnyCaseTakesTheCopyPath)
{
    CTempFolder folder("finalizer");
    for (const char* name : {"a.exe", "b.EXE", "c.ExE", "d.exe.txt"})
    {
        std::string source = folder.File(name);
        std::string destination = folder.File(std::string("placed-") + name);
        ASSERT_TRUE(WriteBytes(source, name));
        ULONGLONG fetched = FileIndex(source);
        EXPECT_EQ(PlaceFetchedFile({source, destination}), 0u) << name;
        EXPECT_FALSE(FileExists(source)) << name;
        EXPECT_EQ(ReadBytes(destination), name);
        // A copy is a new file; a move keeps the fetched one.
        bool copied = FileIndex(destination) != fetched;
        EXPECT_EQ(copied, std::string(name) != "d.exe.txt") << name;
    }
}

} // namespace
