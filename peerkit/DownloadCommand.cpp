#include "peerkit/DownloadCommand.h"

#include "peer/Protocol.h"
#include "peerkit/DialogDriver.h"
#include "peerkit/DownloadRequestBuilder.h"

#include <cstdio>

namespace peerkit
{
namespace
{
constexpr DWORD kDialogTimeoutMs = 15000;
constexpr DWORD kUserTimeoutMs = 10 * 60 * 1000;

bool ChooseForTheUser(CPeerSession& session, const std::string& folder)
{
    CDialogDriver driver(session.ProcessId());
    HWND dialog = driver.WaitForFolderDialog(kDialogTimeoutMs);
    if (!dialog)
    {
        std::printf("no folder dialog appeared\n");
        return false;
    }
    std::printf("[%6.2f s] folder dialog \"%s\" is open\n", session.SecondsSinceLaunch(),
                CDialogDriver::Caption(dialog).c_str());
    if (!driver.ChooseFolder(dialog, folder))
    {
        std::printf("cannot select %s in the dialog\n", folder.c_str());
        return false;
    }
    std::printf("[%6.2f s] selected %s, pressing OK\n", session.SecondsSinceLaunch(), folder.c_str());
    std::fflush(stdout);
    CDialogDriver::PressOk(dialog);
    return true;
}
} // namespace

bool RunDownloadCommand(CPeerSession& session, const std::string& folder, ReplyPrinter print)
{
    CDownloadRequestBuilder builder;
    builder.SetCaption("dlcpeer");
    std::printf("[%6.2f s] command 2: caption \"dlcpeer\", no entries\n", session.SecondsSinceLaunch());
    std::fflush(stdout);
    if (!session.SendCommand(protocol::kCommandDownload, builder.Build()))
        return false;
    if (!folder.empty() && !ChooseForTheUser(session, folder))
        return false;
    for (;;)
    {
        std::optional<Reply> reply = session.WaitForReply(folder.empty() ? kUserTimeoutMs : kDialogTimeoutMs);
        if (!reply)
        {
            std::printf("no reply to command 2\n");
            return false;
        }
        print(*reply, session.SecondsSinceLaunch());
        if (reply->code == protocol::kReplyFolder)
            return true;
    }
}
} // namespace peerkit
