// Soak: one assistant process serves 2,000 commands (command 1, command 3 on small files, and work
// files that hold no command to act on); every well-formed command is answered, and its private
// bytes end no higher than after its first 100.
#include "peer/Protocol.h"
#include "peerkit/FinishRequest.h"
#include "tests/e2e/support/DialogPeer.h"
#include "tests/e2e/support/TestPeerSession.h"

#include <psapi.h>

#include <cstdio>

namespace
{
using Bytes = std::vector<std::uint8_t>;
using peerkit::EncodeWorkFile;
using Builder = peerkit::CDownloadRequestBuilder;

constexpr DWORD kWaitMs = 5000;

// Wine gives another process's private memory as PagefileUsage; its handle count it gives as 0.
ULONGLONG PrivateBytes(HANDLE process)
{
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    ::GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
    return memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage;
}

// Work files that hold no command to act on, each flawed by construction (the first four hold no
// command at all and stay in place); none names a PeerWindow or is a whole download request.
std::vector<Bytes> MalformedFiles()
{
    const Bytes download = EncodeWorkFile(protocol::kCommandDownload, Builder().Build());
    const Bytes finish =
        EncodeWorkFile(protocol::kCommandFinish, *peerkit::EncodeFinishRequest({"C:\\a", "C:\\b"}));
    std::vector<Bytes> files = {
        {},
        {0, 0, 0, 0, 'x'},
        {4, 0, 0, 0, 'x'},
        {0xFF, 0xFF, 0xFF, 0xFF},
        {1},
        {3, 0, 0},
        EncodeWorkFile(protocol::kCommandAttach, Bytes(protocol::kAttachRequestSize - 1, 0)),
        Bytes(download.begin(), download.end() - Builder::kEntrySize - 1), // in the header
        download,
        download,
        download,
        finish,
        Bytes(finish.begin(), finish.end() - 1)};
    peerkit::PutUInt32(files[8], 4, protocol::kDownloadRequestSizeTag + 1);
    peerkit::PutUInt32(files[9], 8, 2); // two entries counted, room for one
    std::fill_n(files[10].begin() + 4 + Builder::kCaptionOffset, Builder::kCaptionSize, 'a');
    peerkit::PutUInt32(files[11], 4, protocol::kFinishRequestSizeTag + 1);
    return files;
}

TEST(Soak, TwoThousandCommandsAreServedWithoutGrowth)
{
    testfiles::CTempFolder folder("soak");
    e2e::CTestPeerSession session({});
    ASSERT_TRUE(session.Launch());
    std::optional<peerkit::Reply> attached = session.Attach(kWaitMs); // the first of the 2,000
    ASSERT_TRUE(attached);
    const std::vector<Bytes> malformed = MalformedFiles();
    const Bytes oversized = EncodeWorkFile(protocol::kCommandFinish, Bytes(protocol::kMaxPayloadBytes + 1));
    // Command 3 and its reply 4 with result; the file placed whole unless it fails.
    auto finish = [&](const std::string& source, const std::string& destination, std::uint32_t result) {
        const std::string bytes(1 + source.size() * 97 % 4096, static_cast<char>(source.size()));
        if (result == 0 && !testfiles::WriteBytes(source, bytes))
            return false;
        Bytes expected;
        peerkit::AppendUInt32(expected, result);
        std::optional<peerkit::Reply> reply;
        if (peerkit::SendFinishRequest(session, {source, destination}))
            reply = session.WaitForReply(kWaitMs);
        const bool placed = result != 0 || testfiles::ReadBytes(destination) == bytes;
        ::DeleteFileA(destination.c_str());
        return reply && reply->code == protocol::kReplyFinished && reply->data == expected && placed;
    };
    // A cycle of 20: each malformed file once, then seven commands that are answered. kind names
    // what the command was, for the failure's message.
    std::string kind;
    auto run = [&](int index) {
        const std::string name = folder.File(std::to_string(index));
        const size_t step = static_cast<size_t>(index) % 20;
        // A file that stays leaves the assistant deaf to signals until its next tick: such files
        // come in one cycle of five, the others send a command 1 in their place.
        const bool stays = step < 4, stayingCycle = index / 20 % 5 == 0;
        if (step < malformed.size() && (!stays || stayingCycle))
        {
            const Bytes& file = index % 500 == 5 ? oversized : malformed[step]; // a large block now and then
            kind = (index % 500 == 5 ? "an oversized work file" : "malformed work file " + std::to_string(step)) +
                   (step < 4 ? ", which stays" : ", which goes");
            if (!session.WriteWorkFile(file) || !session.SignalRequest())
                return false;
            if (step >= 4)
                return session.WaitUntilWorkFileGone(kWaitMs);
            // The tick that took the signal may still read the file; a message sent to the frame is
            // handled only once that tick's handler has returned.
            DWORD_PTR result = 0;
            return session.WaitUntilRequestTaken(kWaitMs) &&
                   ::SendMessageTimeoutA(attached->sender, WM_NULL, 0, 0, SMTO_NORMAL, kWaitMs, &result) &&
                   testfiles::ReadBytes(session.WorkFilePath()) == std::string(file.begin(), file.end());
        }
        switch (step < malformed.size() ? 0 : step - malformed.size())
        {
        case 0:
            kind = "command 1";
            return session.Attach(kWaitMs).value_or(peerkit::Reply()).code == protocol::kReplyAttached &&
                   session.TakeReplies().empty();
        case 1:
            kind = "command 3 copying an executable";
            return finish(name + ".exe", name + "-placed.exe", 0);
        case 2:
            kind = "command 3 renewing an executable in place";
            return finish(name + ".exe", name + ".exe", 0);
        case 3:
            kind = "command 3 with a missing source";
            return finish(name + ".tmp", name + ".dat", ERROR_FILE_NOT_FOUND);
        default:
            kind = "command 3 moving a file";
            return finish(name + ".tmp", name + ".dat", 0);
        }
    };
    ULONGLONG baseline = 0;
    for (int index = 1; index < 2000; ++index)
    {
        ASSERT_TRUE(run(index)) << "command " << index + 1 << ": " << kind;
        if (index + 1 == 100) // five cycles: whatever the process keeps for good is in
            baseline = PrivateBytes(session.Process());
    }
    const ULONGLONG last = PrivateBytes(session.Process());
    std::printf("soak: private bytes %llu after 100 commands, %llu at the end\n",
                static_cast<unsigned long long>(baseline), static_cast<unsigned long long>(last));
    EXPECT_GT(baseline, 0u);
    // A 524-byte record leaked on one command in ten would exceed this.
    EXPECT_LE(last, baseline + 64 * 1024);
    session.SignalQuit();
    EXPECT_EQ(session.WaitForExit(kWaitMs), 0u);
}
} // namespace
