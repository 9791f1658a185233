// Soak: one assistant process serves 2,000 commands (command 1, command 3 on small files and
// malformed work files of every kind); every well-formed command is answered, and its handle
// count and private bytes end no higher than after its first 100 commands, within the stated
// tolerances. It drives KavoDownloadAssistantFastTick, a test build of the same sources that polls
// every 20 ms instead of every second: the run takes under a minute instead of over half an hour.
#include "peer/Protocol.h"
#include "peerkit/FinishRequest.h"
#include "peerkit/PeerSession.h"
#include "tests/e2e/soak/MalformedWorkFiles.h"
#include "tests/e2e/soak/ProcessFigures.h"
#include "tests/e2e/support/E2eSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace
{
using peerkit::CPeerSession;
using soak::Bytes;
using soak::MalformedKind;
using soak::ProcessFigures;
using ::testing::AssertionFailure;
using ::testing::AssertionResult;
using ::testing::AssertionSuccess;

constexpr int kCommands = 2000;
constexpr int kBaselineCommands = 100;
constexpr DWORD kWait = 5000; // a poll every 20 ms and the work, on a loaded machine

// What the process may hold beyond its figures after the first 100 commands. Every kind of command
// has run five times by then, so whatever the process keeps for good is in the baseline (runs here
// end with both figures exactly equal); a handle, or a 524-byte record, leaked on one command in
// ten would exceed these.
constexpr DWORD kHandleTolerance = 2;
constexpr ULONGLONG kPrivateBytesTolerance = 64 * 1024;

enum class Step
{
    Attach,           // command 1 naming this peer's windows: reply 1
    MoveFile,         // command 3 moving a small file: reply 4 with 0
    CopyExecutable,   // command 3 copying an executable elsewhere: reply 4 with 0
    RenewExecutable,  // command 3 for an executable onto itself: reply 4 with 0
    MissingSource,    // command 3 for a file that is not there: reply 4 with 2
    UnterminatedPath, // command 3 whose source fills its field: reply 4 with 206
    EmptyPath,        // command 3 with an empty destination: reply 4 with 87
    Malformed,        // a work file that holds no command to act on: no reply
};

struct PlannedStep
{
    Step step;
    MalformedKind kind = MalformedKind::Empty; // with Step::Malformed
};

// Twenty commands, repeated: the first 100 commands run every step five times.
constexpr PlannedStep kCycle[] = {
    {Step::Attach},
    {Step::MoveFile},
    {Step::Malformed, MalformedKind::CodeZero},
    {Step::Malformed, MalformedKind::PartialCode},
    {Step::MoveFile},
    {Step::Malformed, MalformedKind::CodeAboveThree},
    {Step::CopyExecutable},
    {Step::Malformed, MalformedKind::ShortAttach},
    {Step::Malformed, MalformedKind::DownloadWrongTag},
    {Step::Malformed, MalformedKind::FinishWrongTag},
    {Step::MissingSource},
    {Step::Malformed, MalformedKind::FinishShort},
    {Step::Malformed, MalformedKind::DownloadShortHeader},
    {Step::UnterminatedPath},
    {Step::Malformed, MalformedKind::DownloadTooManyItems},
    {Step::EmptyPath},
    {Step::Malformed, MalformedKind::Empty},
    {Step::RenewExecutable},
    {Step::Malformed, MalformedKind::DownloadUnterminated},
    {Step::Attach},
};
constexpr int kCycleLength = static_cast<int>(sizeof kCycle / sizeof kCycle[0]);
static_assert(kCommands % kCycleLength == 0 && kBaselineCommands % kCycleLength == 0);

// An oversized work file takes a partial code's place now and then: reading it costs the
// assistant a large block each time, which must go back.
bool TakesOversized(int index)
{
    return index % 500 == 3;
}

std::string FastTickAssistantPath()
{
    std::string path = CPeerSession::DefaultAssistantPath();
    return path.substr(0, path.find_last_of('\\') + 1) + "KavoDownloadAssistantFastTick.exe";
}

Bytes Result(std::uint32_t value)
{
    Bytes bytes;
    peerkit::AppendUInt32(bytes, value);
    return bytes;
}

class CSoak
{
  public:
    CSoak(CPeerSession& session, const std::string& folder) : m_session(session), m_folder(folder) {}

    AssertionResult Start();
    AssertionResult Run(int index);

  private:
    AssertionResult Send(std::uint32_t commandCode, const Bytes& record);
    AssertionResult ExpectReply(std::uint32_t code, const Bytes& data);
    AssertionResult Attach();
    AssertionResult PlaceFile(const std::string& source, const std::string& destination);
    AssertionResult RenewExecutable(const std::string& path);
    AssertionResult FinishRecord(const Bytes& record, std::uint32_t result);
    AssertionResult Malformed(const Bytes& workFile, bool staysInPlace);
    AssertionResult WaitUntilIdle();
    Bytes Record(const std::string& source, const std::string& destination) const;
    std::string File(const char* stem, int index, const char* extension) const;
    std::string Contents();

    CPeerSession& m_session;
    std::string m_folder;
    std::mt19937 m_random{20260712};
    HWND m_hFrame = nullptr;
};

AssertionResult CSoak::Start()
{
    if (!m_session.Launch())
        return AssertionFailure() << "the assistant did not start: " << ::GetLastError();
    std::optional<peerkit::Reply> reply = m_session.Attach(kWait);
    if (!reply || reply->code != protocol::kReplyAttached)
        return AssertionFailure() << "no reply 1";
    m_hFrame = reply->sender;
    return AssertionSuccess();
}

AssertionResult CSoak::Run(int index)
{
    const PlannedStep& planned = kCycle[index % kCycleLength];
    switch (planned.step)
    {
    case Step::Attach:
        return Attach();
    case Step::MoveFile:
        return PlaceFile(File("fetched", index, ".tmp"), File("placed", index, ".dat"));
    case Step::CopyExecutable:
        return PlaceFile(File("fetched", index, ".exe"), File("placed", index, ".exe"));
    case Step::RenewExecutable:
        return RenewExecutable(File("tool", index, ".exe"));
    case Step::MissingSource:
        return FinishRecord(Record(File("absent", index, ".tmp"), File("never", index, ".dat")),
                            ERROR_FILE_NOT_FOUND);
    case Step::UnterminatedPath: {
        Bytes record = Record(File("a", index, ".tmp"), File("b", index, ".dat"));
        std::fill(record.begin() + 4, record.begin() + 4 + 260, static_cast<std::uint8_t>('a'));
        return FinishRecord(record, ERROR_FILENAME_EXCED_RANGE);
    }
    case Step::EmptyPath:
        return FinishRecord(Record(File("a", index, ".tmp"), ""), ERROR_INVALID_PARAMETER);
    default:
        break;
    }
    MalformedKind kind = TakesOversized(index) ? MalformedKind::Oversized : planned.kind;
    return Malformed(soak::MalformedWorkFile(kind, m_random), soak::StaysInPlace(kind));
}

// Each step ends when the assistant is done with its work file, so the next write finds it free.
AssertionResult CSoak::Send(std::uint32_t commandCode, const Bytes& record)
{
    if (!m_session.SendCommand(commandCode, record))
        return AssertionFailure() << "work file not written: " << ::GetLastError();
    return AssertionSuccess();
}

AssertionResult CSoak::ExpectReply(std::uint32_t code, const Bytes& data)
{
    std::optional<peerkit::Reply> reply = m_session.WaitForReply(kWait);
    if (!reply)
        return AssertionFailure() << "no reply " << code;
    if (reply->code != code || reply->data != data || reply->receiver != m_session.ReplyWindow())
        return AssertionFailure() << "reply " << reply->code << " with " << reply->data.size()
                                  << " bytes where reply " << code << " was due";
    return AssertionSuccess();
}

AssertionResult CSoak::Attach()
{
    Bytes record;
    peerkit::AppendUInt32(record, protocol::kAttachRequestSize);
    peerkit::AppendUInt32(record, peerkit::WindowToWire(m_session.PeerWindow()));
    peerkit::AppendUInt32(record, peerkit::WindowToWire(m_session.ReplyWindow()));
    if (AssertionResult sent = Send(protocol::kCommandAttach, record); !sent)
        return sent;
    return ExpectReply(protocol::kReplyAttached, Bytes());
}

AssertionResult CSoak::PlaceFile(const std::string& source, const std::string& destination)
{
    const std::string contents = Contents();
    if (!e2e::WriteBytes(source, contents))
        return AssertionFailure() << "cannot write " << source;
    if (AssertionResult answered = FinishRecord(Record(source, destination), ERROR_SUCCESS); !answered)
        return answered;
    if (e2e::FileExists(source) || e2e::ReadBytes(destination) != contents)
        return AssertionFailure() << source << " was not placed whole at " << destination;
    ::DeleteFileA(destination.c_str());
    return AssertionSuccess();
}

AssertionResult CSoak::RenewExecutable(const std::string& path)
{
    const std::string contents = Contents();
    if (!e2e::WriteBytes(path, contents))
        return AssertionFailure() << "cannot write " << path;
    if (AssertionResult answered = FinishRecord(Record(path, path), ERROR_SUCCESS); !answered)
        return answered;
    if (e2e::ReadBytes(path) != contents)
        return AssertionFailure() << path << " was not renewed whole";
    ::DeleteFileA(path.c_str());
    return AssertionSuccess();
}

AssertionResult CSoak::FinishRecord(const Bytes& record, std::uint32_t result)
{
    if (AssertionResult sent = Send(protocol::kCommandFinish, record); !sent)
        return sent;
    return ExpectReply(protocol::kReplyFinished, Result(result));
}

AssertionResult CSoak::Malformed(const Bytes& workFile, bool staysInPlace)
{
    if (!m_session.WriteWorkFile(workFile) || !m_session.SignalRequest())
        return AssertionFailure() << "work file not written: " << ::GetLastError();
    if (!staysInPlace)
    {
        if (!m_session.WaitUntilWorkFileGone(kWait))
            return AssertionFailure() << "a work file of " << workFile.size() << " bytes was not taken";
        return AssertionSuccess();
    }
    if (!m_session.WaitUntilRequestTaken(kWait))
        return AssertionFailure() << "the signal was not taken";
    if (AssertionResult idle = WaitUntilIdle(); !idle)
        return idle;
    if (e2e::ReadBytes(m_session.WorkFilePath()) != std::string(workFile.begin(), workFile.end()))
        return AssertionFailure() << "a work file without a command was not left in place";
    return AssertionSuccess();
}

// The tick that took the signal may still be reading the file. A message sent to the frame is
// handled only once that tick's handler has returned.
AssertionResult CSoak::WaitUntilIdle()
{
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutA(m_hFrame, WM_NULL, 0, 0, SMTO_NORMAL, kWait, &result))
        return AssertionFailure() << "the frame did not answer: " << ::GetLastError();
    return AssertionSuccess();
}

Bytes CSoak::Record(const std::string& source, const std::string& destination) const
{
    std::optional<Bytes> record = peerkit::EncodeFinishRequest({source, destination});
    return record ? *record : Bytes();
}

std::string CSoak::File(const char* stem, int index, const char* extension) const
{
    return m_folder + "\\" + stem + std::to_string(index) + extension;
}

// Up to 4 KiB of random bytes, so that no two placed files are alike.
std::string CSoak::Contents()
{
    std::uniform_int_distribution<int> byte(0, 255);
    std::string contents(std::uniform_int_distribution<std::size_t>(1, 4096)(m_random), '\0');
    for (char& c : contents)
        c = static_cast<char>(byte(m_random));
    return contents;
}

TEST(Soak, TwoThousandCommandsAreServedWithoutGrowth)
{
    e2e::CTempFolder folder("soak");
    peerkit::SessionOptions options;
    options.assistantPath = FastTickAssistantPath();
    CPeerSession session(options);
    CSoak soak(session, folder.Path());
    const ULONGLONG started = ::GetTickCount64();
    ASSERT_TRUE(soak.Start()); // command 1 is the first of the 2,000

    std::optional<ProcessFigures> baseline;
    for (int index = 1; index < kCommands; ++index)
    {
        ASSERT_TRUE(soak.Run(index)) << "command " << index + 1;
        if (index + 1 == kBaselineCommands)
        {
            baseline = soak::MeasureProcess(session.Process());
            ASSERT_TRUE(baseline) << "the process's figures cannot be read: " << ::GetLastError();
        }
    }
    std::optional<ProcessFigures> last = soak::MeasureProcess(session.Process());
    ASSERT_TRUE(last);
    std::printf(
        "soak: %d commands in %.1f s; handles %lu after %d, %lu at the end; private bytes %llu, %llu\n",
        kCommands, (::GetTickCount64() - started) / 1000.0, baseline->handles, kBaselineCommands,
        last->handles, static_cast<unsigned long long>(baseline->privateBytes),
        static_cast<unsigned long long>(last->privateBytes));
    EXPECT_GT(baseline->handles, 0u);
    EXPECT_GT(baseline->privateBytes, 0u);
    EXPECT_LE(last->handles, baseline->handles + kHandleTolerance);
    EXPECT_LE(last->privateBytes, baseline->privateBytes + kPrivateBytesTolerance);

    EXPECT_TRUE(session.TakeReplies().empty());
    session.SignalQuit();
    EXPECT_EQ(session.WaitForExit(5000), std::optional<DWORD>(0));
}
} // namespace
