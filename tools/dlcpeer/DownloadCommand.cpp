#include "tools/dlcpeer/DownloadCommand.h"

#include "peer/Protocol.h"
#include "peerkit/DownloadRequestBuilder.h"
#include "tools/dlcpeer/ScriptedUser.h"

#include <cstdio>

namespace peerkit
{
namespace
{
constexpr DWORD kUserTimeoutMs = 10 * 60 * 1000;
// A large executable's copy to another volume may take a while.
constexpr DWORD kFinishTimeoutMs = 120000;

// The system's text for error, in English where the system has it; empty when it has none.
std::string ErrorText(DWORD error)
{
    char text[512] = {};
    constexpr DWORD kFlags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    DWORD length = ::FormatMessageA(kFlags, nullptr, error, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                                    text, sizeof text, nullptr);
    if (length == 0)
        length = ::FormatMessageA(kFlags, nullptr, error, 0, text, sizeof text, nullptr);
    std::string result(text, length);
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r' || result.back() == ' '))
        result.pop_back();
    return result;
}

bool ChooseForTheUser(CPeerSession& session, const std::string& folder)
{
    CScriptedUser user(session, CScriptedUser::Narration::Printed);
    return user.NextIs(CScriptedUser::Shown::FolderDialog) && user.Choose(folder);
}
} // namespace

Outcome RunDownloadCommand(CPeerSession& session, const std::string& folder, ReplyPrinter print)
{
    CDownloadRequestBuilder builder;
    builder.SetCaption("dlcpeer");
    std::printf("[%6.2f s] command 2: caption \"dlcpeer\", no entries\n", session.SecondsSinceLaunch());
    std::fflush(stdout);
    if (!session.SendCommand(protocol::kCommandDownload, builder.Build()))
    {
        std::printf("cannot write the work file %s\n", session.WorkFilePath().c_str());
        return Outcome::Failed;
    }
    if (!folder.empty() && !ChooseForTheUser(session, folder))
        return Outcome::Failed;
    for (;;)
    {
        std::optional<Reply> reply = session.WaitForReply(folder.empty() ? kUserTimeoutMs : CScriptedUser::kShowTimeoutMs);
        if (!reply)
        {
            std::printf("no reply to command 2\n");
            return Outcome::NoReply;
        }
        print(*reply, session.SecondsSinceLaunch());
        if (std::optional<std::string> chosen = FolderOfReply(*reply))
            return chosen->empty() ? Outcome::Abandoned : Outcome::Done;
    }
}

Outcome RunFinishCommand(CPeerSession& session, const FinishRequest& request, ReplyPrinter print)
{
    std::printf("[%6.2f s] command 3: \"%s\" -> \"%s\"\n", session.SecondsSinceLaunch(),
                request.sourcePath.c_str(), request.destinationPath.c_str());
    std::fflush(stdout);
    if (!SendFinishRequest(session, request))
    {
        std::printf("cannot send command 3: a path longer than 259 bytes, or the work file unwritable\n");
        return Outcome::FinishFailed;
    }
    std::optional<Reply> reply = session.WaitForReply(kFinishTimeoutMs);
    if (!reply)
    {
        std::printf("no reply to command 3\n");
        return Outcome::NoReply;
    }
    print(*reply, session.SecondsSinceLaunch());
    std::optional<std::uint32_t> error = FinishResultOf(*reply);
    if (error && *error == 0)
        return Outcome::Done;
    if (error)
        std::printf("command 3 failed: Windows error %lu (%s)\n", static_cast<unsigned long>(*error),
                    ErrorText(*error).c_str());
    else
        std::printf("command 3 got reply %lu instead of reply 4\n", static_cast<unsigned long>(reply->code));
    return Outcome::FinishFailed;
}
} // namespace peerkit
