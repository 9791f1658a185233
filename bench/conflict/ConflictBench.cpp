// The conflict check's cost, printed, not judged: a request of 1,000 entries against a content list
// of 10,000 lines, from pressing OK in the folder dialog to reply 2. None of the recorded temporary
// files exists and the folder holds none of the names, so no question interrupts the check. Run
// under Wine with drive P: mapped to an empty folder (scripts/bench does); DA_BENCH_ASSISTANT names
// another assistant executable (an earlier build, say).
#include "peer/Protocol.h"
#include "peerkit/ContentListWriter.h"
#include "tools/dlcpeer/DialogDriver.h"
#include "peerkit/DownloadRequestBuilder.h"
#include "peerkit/PeerSession.h"
#include "tests/support/TestFiles.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace
{
using Clock = std::chrono::steady_clock;

constexpr int kListLines = 10000;
constexpr int kEntries = 1000;
constexpr char kFolder[] = "P:\\";

std::string Key(int i)
{
    return "content-" + std::to_string(i);
}

bool WriteList(const testfiles::CTempFolder& folder, const std::string& listPath)
{
    peerkit::CContentListWriter writer(listPath);
    for (int i = 0; i < kListLines; ++i)
        writer.SetRecord(Key(i), {folder.File("part-" + std::to_string(i) + ".tmp"), "", 0});
    return writer.Commit();
}

std::vector<std::uint8_t> Request(const std::string& listPath)
{
    peerkit::CDownloadRequestBuilder request;
    request.SetCaption("Conflict check benchmark");
    request.SetListFilePath(listPath);
    for (int i = 0; i < kEntries; ++i)
        request.AddEntry("file-" + std::to_string(i) + ".bin", Key(i * (kListLines / kEntries)));
    return request.Build();
}

bool Run()
{
    testfiles::CTempFolder folder("bench-conflict");
    const std::string listPath = folder.File("contents.lst");
    if (!WriteList(folder, listPath))
        return false;
    peerkit::SessionOptions options;
    if (const char* assistant = std::getenv("DA_BENCH_ASSISTANT"))
        options.assistantPath = assistant;
    peerkit::CPeerSession session(options);
    if (!session.Launch() || !session.Attach(5000) ||
        !session.SendCommand(protocol::kCommandDownload, Request(listPath)))
        return false;
    peerkit::CDialogDriver driver(session.ProcessId());
    HWND dialog = driver.WaitForFolderDialog(15000);
    if (!dialog || !driver.ChooseFolder(dialog, kFolder))
        return false;
    const Clock::time_point pressed = Clock::now();
    peerkit::CDialogDriver::PressOk(dialog);
    // Closing a visible window alone takes about 2 s under Wine: the check starts once it is gone.
    driver.WaitUntilGone(dialog, 120000);
    const Clock::time_point gone = Clock::now();
    std::optional<peerkit::Reply> reply = session.WaitForReply(120000);
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - gone).count();
    const double closing = std::chrono::duration<double, std::milli>(gone - pressed).count();
    if (!reply || reply->code != protocol::kReplyResumeFlag)
    {
        std::printf("no reply 2 (a question may have been shown)\n");
        return false;
    }
    std::printf("conflict check, %d entries against %d lines: %.0f ms from the dialog's end to reply 2 "
                "(and %.0f ms from OK to the dialog's end)\n",
                kEntries, kListLines, ms, closing);
    session.WaitForReply(5000);
    session.SignalQuit();
    return session.WaitForExit(10000).has_value();
}
} // namespace

int main()
{
    const bool ok = Run();
    if (!ok)
        std::printf("a step failed\n");
    return ok ? 0 : 1;
}
