#include "contentlist/ContentList.h"
#include "contentlist/ContentListText.h"
#include "framework/Handle.h"

#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <set>
#include <string>

namespace
{
using testfiles::CTempFolder;

constexpr DWORD kPatienceMs = 30000;

// The folder of this test program, with a backslash: the lock holder is built beside it.
std::string ProgramFolder()
{
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return FolderOfPath(path, SystemCodePage());
}

class CHolderProcess
{
  public:
    explicit CHolderProcess(const std::string& arguments)
    {
        std::string commandLine = "\"" + ProgramFolder() + "contentlist_lock_holder.exe\" " + arguments;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info = {};
        if (::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                             &info))
        {
            m_hProcess.Reset(info.hProcess);
            CHandle thread(info.hThread);
        }
    }
    ~CHolderProcess()
    {
        if (m_hProcess && ::WaitForSingleObject(m_hProcess.Get(), 0) == WAIT_TIMEOUT)
            ::TerminateProcess(m_hProcess.Get(), 1);
    }
    CHolderProcess(const CHolderProcess&) = delete;
    CHolderProcess& operator=(const CHolderProcess&) = delete;

    explicit operator bool() const { return static_cast<bool>(m_hProcess); }
    HANDLE Handle() const { return m_hProcess.Get(); }
    bool Running() const { return ::WaitForSingleObject(m_hProcess.Get(), 0) == WAIT_TIMEOUT; }

    DWORD WaitForExit()
    {
        DWORD code = STILL_ACTIVE;
        if (::WaitForSingleObject(m_hProcess.Get(), kPatienceMs) == WAIT_OBJECT_0)
            ::GetExitCodeProcess(m_hProcess.Get(), &code);
        return code;
    }

  private:
    CHandle m_hProcess;
};

std::string UniqueName(const char* what)
{
    return std::string("da-contentlist-test-") + what + "-" + std::to_string(::GetCurrentProcessId()) + "-" +
           std::to_string(::GetTickCount64());
}

// -1 unless the list is usable and holds lines 0 to lines-1 of one round; else that round.
int WholeRound(const CContentList& list, int lines)
{
    if (!list.IsValid())
        return -1;
    int round = -1;
    for (int i = 0; i < lines; ++i)
    {
        const std::string key = "k" + std::to_string(i);
        std::string text;
        if (!list.GetText1(key.c_str(), text) || text != "C:\\fetch\\part" + std::to_string(i) + ".tmp")
            return -1;
        if (i > 0 && list.GetNumber(key.c_str()) != round)
            return -1;
        round = list.GetNumber(key.c_str());
    }
    return round;
}
} // namespace

TEST(ContentListLock, WriterHoldingTheLockMakesAReaderWait)
{
    constexpr int kLines = 40;
    CTempFolder folder;
    const std::string path = folder.File("list.txt");
    const std::string readyName = UniqueName("ready");
    const std::string releaseName = UniqueName("release");
    CHandle ready(::CreateEventA(nullptr, TRUE, FALSE, readyName.c_str()));
    CHandle release(::CreateEventA(nullptr, TRUE, FALSE, releaseName.c_str()));
    CHolderProcess holder("hold \"" + path + "\" " + readyName + " " + releaseName + " " +
                          std::to_string(kLines));
    ASSERT_TRUE(holder);
    HANDLE waits[] = {ready.Get(), holder.Handle()};
    ASSERT_EQ(::WaitForMultipleObjects(2, waits, FALSE, kPatienceMs), WAIT_OBJECT_0) << "no lock taken";

    std::future<int> reader =
        std::async(std::launch::async, [&] { return WholeRound(CContentList(path.c_str()), kLines); });
    // Half the list is on disk: a reader that did not wait would be done at once, and wrong.
    EXPECT_EQ(reader.wait_for(std::chrono::milliseconds(500)), std::future_status::timeout);
    ::SetEvent(release.Get());
    if (reader.wait_for(std::chrono::milliseconds(kPatienceMs)) != std::future_status::ready)
    {
        ADD_FAILURE() << "the reader never got the lock";
        ::TerminateProcess(holder.Handle(), 1);
    }
    EXPECT_EQ(reader.get(), 0);
    EXPECT_EQ(holder.WaitForExit(), 0u);
}

TEST(ContentListLock, AReaderNeverSeesAHalfWrittenList)
{
    constexpr int kLines = 60;
    constexpr int kRounds = 200;
    CTempFolder folder;
    const std::string path = folder.File("list.txt");
    const std::string startedName = UniqueName("started");
    CHandle started(::CreateEventA(nullptr, TRUE, FALSE, startedName.c_str()));
    CHolderProcess holder("churn \"" + path + "\" " + startedName + " " + std::to_string(kRounds) + " " +
                          std::to_string(kLines));
    ASSERT_TRUE(holder);
    HANDLE waits[] = {started.Get(), holder.Handle()};
    ASSERT_EQ(::WaitForMultipleObjects(2, waits, FALSE, kPatienceMs), WAIT_OBJECT_0) << "no first round";

    std::set<int> rounds;
    int reads = 0;
    const ULONGLONG deadline = ::GetTickCount64() + kPatienceMs;
    while (holder.Running() && ::GetTickCount64() < deadline)
    {
        int round = WholeRound(CContentList(path.c_str()), kLines);
        ASSERT_GE(round, 0) << "read " << reads << " saw a partial list";
        rounds.insert(round);
        ++reads;
    }
    EXPECT_EQ(holder.WaitForExit(), 0u);
    // The reads overlapped the writing, or the test proved nothing.
    EXPECT_GT(rounds.size(), 1u) << reads << " reads";
}
