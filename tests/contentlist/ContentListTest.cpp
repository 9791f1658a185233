// The content list store and the peer kit's writer on real files under Wine.
#include "contentlist/ContentList.h"
#include "contentlist/ContentListLock.h"
#include "contentlist/ContentListLockSecurity.h"
#include "contentlist/LineFormat.h"
#include "framework/Handle.h"
#include "peerkit/ContentListWriter.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestThread.h"

#include <gtest/gtest.h>

#include <aclapi.h>
#include <sddl.h>


namespace
{
using namespace testfiles;
using Names = std::vector<std::string>;

std::string Line(const std::string& key, const char* text1, std::int32_t number = 1)
{
    return FormatLineText(key.c_str(), ContentRecord{text1, "t", number});
}

// "Text1|Text2|Number" of key; parts that the list does not answer are "-".
std::string Record(const CContentList& list, const char* key)
{
    std::string text1 = "-", text2 = "-";
    list.GetText1(key, text1);
    list.GetText2(key, text2);
    return text1 + "|" + text2 + "|" + std::to_string(list.GetNumber(key));
}

// The store reads through a text-mode stream; the neutral parse, tested natively, claims to read
// the raw bytes the same way, and the streaming look-up to answer as the store does. The long case crosses the store's 64 KiB read chunk.
TEST(ContentList, LoadAgreesWithTheNeutralParse)
{
    const std::string a = Line("a", "A", 3);
    const std::string b = Line("b", "B", 4);
    std::string filler;
    for (int i = 0; i < 2000; ++i)
        filler += Line("f" + std::to_string(i), "C:\\fetch\\part.tmp", i);
    const std::string cases[] = {
        "",
        a + b,
        a + "\n" + b,
        a.substr(0, a.size() - 2) + "\r\r\n" + b,
        a + "\"x\",\" p\",\" q\rr\", \" 1\"\r\n" + b,
        a + b.substr(0, b.size() - 2) + "\r",
        a + "\x1A" + b,
        a + std::string("\"n\0\",", 6) + "\r\n" + b,
        a + "\r\n\r\n" + b,
        a + b + "\r\n",
        a + Line("a", "A2") + Line("A", "upper"),
        a + filler + b,
    };
    CTempFolder folder;
    const std::string path = folder.File("list.txt");
    for (const std::string& bytes : cases)
    {
        ASSERT_TRUE(WriteBytes(path, bytes));
        CContentRecordMap parsed;
        const bool whole = ParseContentListText(bytes, SystemCodePage(), parsed);
        CContentList list(path.c_str());
        EXPECT_EQ(list.IsValid(), whole) << bytes.substr(0, 80);
        const Names keys = {"a", "A", "b", "n", "x", "a"};
        const Names wanted = ReadWantedText1(path, keys);
        for (std::size_t i = 0; i < keys.size(); ++i)
        {
            std::string text1;
            list.GetText1(keys[i].c_str(), text1);
            EXPECT_EQ(wanted[i], text1) << keys[i] << " in " << bytes.substr(0, 80);
        }
        for (const char* key : {"a", "A", "b", "n", "x"})
        {
            const ContentRecordView* found = parsed.Find(key);
            EXPECT_EQ(Record(list, key), (whole && found ? std::string(found->Text1) : "-") + "|" +
                                             (found ? std::string(found->Text2) : "-") + "|" +
                                             std::to_string(whole && found ? found->Number : 0))
                << bytes.substr(0, 80);
        }
    }
}

// Others' records are kept; a target held open by a reader that ignores the lock is not replaced, and
// a list that does not read whole is left alone (a rewrite would drop the lines after the bad one).
TEST(ContentListWriter, CommitReplacesTheListWholeOrNotAtAll)
{
    CTempFolder folder;
    const std::string path = folder.File("list.txt");
    ASSERT_TRUE(WriteBytes(path, Line("a", "A") + Line("b", "B")));
    peerkit::CContentListWriter writer(path);
    writer.SetRecord("c", ContentRecord{"C", "t", 3});
    writer.RemoveRecord("a");
    ASSERT_TRUE(writer.Commit());
    EXPECT_EQ(Attributes(path), static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));
    CContentList list(path.c_str());
    EXPECT_EQ(Record(list, "a") + " " + Record(list, "b") + " " + Record(list, "c"), "-|-|0 B|t|1 C|t|3");

    const std::string committed = ReadBytes(path);
    CFileHandle reader(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(writer.Commit());
    reader.Reset();
    EXPECT_EQ(ReadBytes(path), committed);
    EXPECT_EQ(Attributes(path), static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));
    const std::string broken = Line("a", "A") + "\r\n" + Line("b", "B");
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(WriteBytes(path, broken));
    EXPECT_FALSE(writer.Commit());
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));
    EXPECT_EQ(ReadBytes(path), broken);
    EXPECT_EQ(folder.Names(), Names{"list.txt"});
    // Another holder of the lock delays the writer only up to its bound, and the caller is told.
    writer.SetLockTimeout(50);
    testfiles::CTestEvent held, release;
    testfiles::CTestThread holder([&] {
        CContentListLock lock(writer.LockName(), nullptr);
        held.Set();
        release.Wait();
    });
    ASSERT_TRUE(held.Wait());
    EXPECT_FALSE(writer.Commit());
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_TIMEOUT));
    EXPECT_FALSE(writer.Lock());
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_TIMEOUT));
    release.Set();
}

std::string DescriptorText(PSECURITY_DESCRIPTOR descriptor)
{
    char* text = nullptr;
    if (!::ConvertSecurityDescriptorToStringSecurityDescriptorA(
            descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr))
        return "?";
    std::string copy(text);
    ::LocalFree(text);
    return copy;
}

// "<SID> <mask>" of the descriptor's mandatory label.
std::string LabelOf(PSECURITY_DESCRIPTOR descriptor)
{
    BOOL present = FALSE, defaulted = FALSE;
    PACL sacl = nullptr;
    void* ace = nullptr;
    if (!::GetSecurityDescriptorSacl(descriptor, &present, &sacl, &defaulted) || !present || !sacl ||
        !::GetAce(sacl, 0, &ace))
        return "none";
    auto* label = static_cast<SYSTEM_MANDATORY_LABEL_ACE*>(ace);
    if (label->Header.AceType != SYSTEM_MANDATORY_LABEL_ACE_TYPE)
        return "not a label";
    char* sid = nullptr;
    if (!::ConvertSidToStringSidA(&label->SidStart, &sid))
        return "?";
    std::string text = std::string(sid) + " " + std::to_string(label->Mask);
    ::LocalFree(sid);
    return text;
}

// Every peer can take the lock: its mutex lets everyone in, and its low label lets a low-integrity
// peer open it for all access. A mutex that another maker left with less than all access still
// serves as the lock, opened for waiting and releasing only.
TEST(ContentListLock, OpensForEveryPeer)
{
    const std::string name = "da-lock-test-" + std::to_string(::GetCurrentProcessId());
    CContentListLockSecurity security;
    CHandle made(::CreateMutexA(security.Get(), FALSE, name.c_str()));
    ASSERT_TRUE(made);
    // Wine reports no label of a kernel object: the label is seen in the descriptor given, the DACL
    // on the mutex made.
    EXPECT_EQ(LabelOf(security.Get()->lpSecurityDescriptor), "S-1-16-4096 1");
    PSECURITY_DESCRIPTOR madeDescriptor = nullptr;
    ASSERT_EQ(::GetSecurityInfo(made.Get(), SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, nullptr,
                                nullptr, &madeDescriptor),
              static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(DescriptorText(madeDescriptor), "D:(A;;GA;;;WD)");
    ::LocalFree(madeDescriptor);
    made.Reset();

    // Owned by another account, it grants this one only waiting and releasing.
    SECURITY_ATTRIBUTES narrow = {sizeof narrow, nullptr, FALSE};
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorA("O:SYD:(A;;0x00100001;;;WD)", SDDL_REVISION_1,
                                                                     &narrow.lpSecurityDescriptor, nullptr));
    CHandle narrowMutex(::CreateMutexA(&narrow, FALSE, name.c_str()));
    ::LocalFree(narrow.lpSecurityDescriptor);
    ASSERT_TRUE(narrowMutex);
    EXPECT_FALSE(CHandle(::CreateMutexA(nullptr, FALSE, name.c_str()))) << "the mutex grants all access";
    EXPECT_NO_THROW(CContentListLock(name, security.Get(), 1000));
}
} // namespace
