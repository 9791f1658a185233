#include "tools/dlcpeer/TypicalCommand.h"

#include "peer/Protocol.h"
#include "peerkit/ContentListWriter.h"
#include "peerkit/DownloadRequestBuilder.h"
#include "tools/dlcpeer/ScriptedUser.h"

#include <shlwapi.h>

#include <cstdio>
#include <fstream>

namespace peerkit
{
namespace
{
constexpr DWORD kUserTimeoutMs = 10 * 60 * 1000;
constexpr std::size_t kFetchedEarlier = 14;

struct Content
{
    const char* fileName;
    const char* key;
    const char* fetched; // where the peer fetches it, in its work folder
    const char* bytes;
};

const Content kContents[] = {
    {"report.pdf", "content-1", "report.part", "%PDF-1.4 report, fetched in two goes"},
    {"notes.txt", "content-2", "notes.tmp", "new notes"},
    {"setup.exe", "content-3", "setup.exe", "MZ setup"},
};

std::string Join(const std::string& folder, const std::string& name)
{
    char path[MAX_PATH] = {};
    return ::PathCombineA(path, folder.c_str(), name.c_str()) ? std::string(path) : std::string();
}

bool WriteFile(const std::string& path, const std::string& bytes, bool append = false)
{
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    std::ofstream out(path, std::ios::binary | (append ? std::ios::app : std::ios::trunc));
    out << bytes;
    return static_cast<bool>(out);
}

// The state a real peer would find after an interrupted download, and an older copy of the second
// content in the folder (and a read-only one in its sub-folder "read-only").
bool Prepare(const CPeerSession& session, const std::string& list, const std::string& folder)
{
    const Content& resumed = kContents[0];
    std::string partial = session.WorkFolder() + resumed.fetched;
    if (!WriteFile(partial, std::string(resumed.bytes).substr(0, kFetchedEarlier)))
        return false;
    CContentListWriter writer(list);
    writer.SetRecord(resumed.key, ContentRecord{partial, "", 0});
    if (!writer.Commit())
        return false;
    std::printf("prepared: %s records %s -> %s (%zu bytes fetched before an interruption)\n", list.c_str(),
                resumed.key, partial.c_str(), kFetchedEarlier);
    if (folder.empty())
        return true;
    std::string older = Join(folder, kContents[1].fileName);
    std::string locked = Join(Join(folder, "read-only"), resumed.fileName);
    ::CreateDirectoryA(folder.c_str(), nullptr);
    ::CreateDirectoryA(Join(folder, "read-only").c_str(), nullptr);
    if (!WriteFile(older, "old notes") || !WriteFile(locked, "read-only report") ||
        !::SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY))
        return false;
    std::printf("prepared: %s (an older copy) and %s (read-only)\n", older.c_str(), locked.c_str());
    return true;
}

// The scripted user's way through every dialog; true when the folder was accepted.
bool AnswerAsScripted(CPeerSession& session, const TypicalOptions& options)
{
    using Shown = CScriptedUser::Shown;
    CScriptedUser user(session, options.screenshots ? CScriptedUser::Narration::PrintedWithScreenshots
                                                    : CScriptedUser::Narration::Printed);
    if (!user.NextIs(Shown::FolderDialog))
        return false;
    if (!options.unwritable.empty())
    {
        if (!user.Choose(options.unwritable) || !user.NextIs(Shown::MessageBox, "writable-warning"))
            return false;
        user.Answer(IDOK);
        if (!user.NextIs(Shown::FolderDialog))
            return false;
    }
    if (!user.Choose(Join(options.folder, "read-only")) || !user.NextIs(Shown::MessageBox, "resume-question"))
        return false;
    user.Answer(IDYES);
    if (!user.NextIs(Shown::MessageBox, "read-only-message"))
        return false;
    user.Answer(IDOK);
    if (!user.NextIs(Shown::FolderDialog))
        return false;
    user.Cancel();
    if (!user.NextIs(Shown::MessageBox, "close-question"))
        return false;
    user.Answer(IDNO);
    if (!user.NextIs(Shown::FolderDialog) || !user.Choose(options.folder, "folder-dialog") ||
        !user.NextIs(Shown::MessageBox, "overwrite-question"))
        return false;
    user.Answer(IDYES);
    return true;
}

// Replies 2 and 3: Done with the chosen folder, Abandoned when the user gave the download up.
Outcome WaitForFolder(CPeerSession& session, DWORD timeoutMs, ReplyPrinter print, std::string& folder,
                      bool& resume)
{
    for (;;)
    {
        std::optional<Reply> reply = session.WaitForReply(timeoutMs);
        if (!reply)
        {
            std::printf("no reply to command 2\n");
            return Outcome::NoReply;
        }
        print(*reply, session.SecondsSinceLaunch());
        if (reply->code == protocol::kReplyResumeFlag && reply->data.size() == 4)
            resume = reply->data[0] == 1;
        std::optional<std::string> chosen = FolderOfReply(*reply);
        if (!chosen)
            continue;
        if (chosen->empty())
            return Outcome::Abandoned;
        folder = *chosen;
        return Outcome::Done;
    }
}

Outcome FetchAndPlace(CPeerSession& session, const Content& content, const std::string& folder, bool resume,
                      ReplyPrinter print)
{
    std::string fetched = session.WorkFolder() + content.fetched;
    bool resumed = resume && &content == &kContents[0];
    std::string bytes = resumed ? std::string(content.bytes).substr(kFetchedEarlier) : content.bytes;
    if (!WriteFile(fetched, bytes, resumed))
    {
        std::printf("cannot write %s\n", fetched.c_str());
        return Outcome::Failed;
    }
    std::printf("[%6.2f s] fetched %s into %s%s\n", session.SecondsSinceLaunch(), content.fileName,
                fetched.c_str(), resumed ? " (resumed where it stopped)" : "");
    return RunFinishCommand(session, FinishRequest{fetched, Join(folder, content.fileName)}, print);
}
} // namespace

Outcome RunTypicalDownload(CPeerSession& session, const TypicalOptions& options, ReplyPrinter print)
{
    const std::string list = session.WorkFolder() + "contents.csv";
    if (!Prepare(session, list, options.folder))
    {
        std::printf("cannot prepare the files of the download\n");
        return Outcome::Failed;
    }
    CDownloadRequestBuilder builder;
    builder.SetCaption("Kavo demo");
    builder.SetListFilePath(list);
    for (const Content& content : kContents)
        builder.AddEntry(content.fileName, content.key);
    std::printf("[%6.2f s] command 2: caption \"Kavo demo\", list %s, entries", session.SecondsSinceLaunch(),
                list.c_str());
    for (const Content& content : kContents)
        std::printf(" %s (%s)", content.fileName, content.key);
    std::printf("\n");
    std::fflush(stdout);
    if (!session.SendCommand(protocol::kCommandDownload, builder.Build()))
    {
        std::printf("cannot write the work file %s\n", session.WorkFilePath().c_str());
        return Outcome::Failed;
    }
    bool scripted = !options.folder.empty();
    if (scripted && !AnswerAsScripted(session, options))
        return Outcome::Failed;
    std::string folder;
    bool resume = false;
    Outcome outcome =
        WaitForFolder(session, scripted ? CScriptedUser::kShowTimeoutMs : kUserTimeoutMs, print, folder, resume);
    for (const Content& content : kContents)
    {
        if (outcome != Outcome::Done)
            break;
        outcome = FetchAndPlace(session, content, folder, resume, print);
    }
    return outcome;
}
} // namespace peerkit
