#include "tools/dlcpeer/CheckCommand.h"

#include "contentlist/ContentListLock.h"
#include "contentlist/ContentListLockSecurity.h"
#include "contentlist/ContentListText.h"
#include "framework/Exceptions.h"
#include "peer/Protocol.h"
#include "tools/dlcpeer/CheckReport.h"
#include "peerkit/DownloadRequestBuilder.h"
#include "peerkit/MessagePump.h"
#include "tools/dlcpeer/MachineProbes.h"
#include "tools/dlcpeer/ScriptedUser.h"

#include <cstdio>

namespace peerkit
{
namespace
{
constexpr DWORD kReplyMs = 15000;
constexpr DWORD kForegroundMs = 3000;
constexpr DWORD kLowCopyReadyMs = 30000;
constexpr DWORD kEndMs = 10000;

std::string Pid()
{
    return std::to_string(::GetCurrentProcessId());
}

std::string Hex(DWORD value)
{
    char text[16] = {};
    std::snprintf(text, sizeof text, "0x%lX", static_cast<unsigned long>(value));
    return text;
}

std::string ErrorNumber(DWORD error)
{
    return "Windows error " + std::to_string(error);
}

std::string WhyNoLabels()
{
    return probes::IsWine() ? "Wine has no integrity levels" : "this Windows has no integrity levels";
}

std::string OwnPath()
{
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

bool WriteText(const std::string& path, const std::string& text)
{
    CFileHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    return file && ::WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

// A folder of this run's own under the temporary folder, removed with its files at the end.
class CScratchFolder
{
  public:
    CScratchFolder()
    {
        char temp[MAX_PATH + 1] = {};
        ::GetTempPathA(MAX_PATH, temp);
        m_path = std::string(temp) + "dlcpeer-check-" + Pid();
        ::CreateDirectoryA(m_path.c_str(), nullptr);
    }
    ~CScratchFolder()
    {
        WIN32_FIND_DATAA found = {};
        CFindHandle find(::FindFirstFileA((m_path + "\\*").c_str(), &found));
        for (bool more = static_cast<bool>(find); more; more = ::FindNextFileA(find.Get(), &found) != FALSE)
            ::DeleteFileA((m_path + "\\" + found.cFileName).c_str());
        find.Reset();
        ::RemoveDirectoryA(m_path.c_str());
    }
    CScratchFolder(const CScratchFolder&) = delete;
    CScratchFolder& operator=(const CScratchFolder&) = delete;

    const std::string& Path() const { return m_path; }

  private:
    std::string m_path;
};

void CheckWorkFolder(CCheckReport& report, const std::string& workFolder)
{
    const DWORD attributes = ::GetFileAttributesA(workFolder.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    report.Verdict(exists, "the work folder " + workFolder + " exists", "it is missing and cannot be created");
    const std::string claim = "low-integrity peers can write in the work folder";
    if (!probes::HasIntegrityLevels())
        return report.NotHere(claim, WhyNoLabels());
    std::optional<DWORD> level = probes::IntegrityOf(workFolder.substr(0, workFolder.size() - 1));
    if (!level)
        return report.Fail(claim, "its label cannot be read");
    report.Verdict(*level <= SECURITY_MANDATORY_LOW_RID, claim, "its integrity level is " + Hex(*level));
}

void CheckImports(CCheckReport& report, const std::string& exe)
{
    const std::string claim = "every import of " + exe + " is on this Windows";
    std::optional<std::vector<std::string>> missing = probes::MissingImports(exe);
    if (!missing)
        return report.NotHere(claim, "it cannot be read as an image of this architecture");
    std::string names;
    for (const std::string& name : *missing)
        names += (names.empty() ? "" : ", ") + name;
    report.Verdict(missing->empty(), claim, "missing " + names);
}

// Command 2, its dialog answered for the user with folder: whether the dialog came to the front.
struct DialogOutcome
{
    bool shown = false;
    bool foreground = false;
    std::string accepted; // reply 3's folder
};

DialogOutcome ChooseInDialog(CPeerSession& session, const std::string& folder)
{
    DialogOutcome outcome;
    CDownloadRequestBuilder builder;
    builder.SetCaption("dlcpeer check");
    if (!session.SendCommand(protocol::kCommandDownload, builder.Build()))
        return outcome;
    CScriptedUser user(session, CScriptedUser::Narration::Silent);
    if (!user.NextIs(CScriptedUser::Shown::FolderDialog))
        return outcome;
    const HWND dialog = user.Window();
    outcome.shown = true;
    outcome.foreground =
        PumpMessagesUntil(kForegroundMs, nullptr, [dialog] { return ::GetForegroundWindow() == dialog; }, 50);
    user.Choose(folder);
    while (std::optional<Reply> reply = session.WaitForReply(kReplyMs))
        if (std::optional<std::string> chosen = FolderOfReply(*reply))
        {
            outcome.accepted = *chosen;
            break;
        }
    return outcome;
}

void CheckForeground(CCheckReport& report, const DialogOutcome& dialog)
{
    const std::string claim = "the folder dialog comes to the front";
    if (probes::IsWine())
        report.NotHere(claim, "Wine has no foreground lock");
    else if (!dialog.shown)
        report.Fail(claim, "no folder dialog appeared");
    else
        report.Verdict(dialog.foreground, claim,
                       "it stayed behind (run check from a window that has the foreground, such as a console)");
}

void CheckPlacedLabel(CCheckReport& report, std::optional<DWORD> fetched, std::optional<DWORD> placed)
{
    const std::string claim = "a placed file carries no low label";
    if (!probes::HasIntegrityLevels())
        report.NotHere(claim, WhyNoLabels());
    else if (!fetched || *fetched > SECURITY_MANDATORY_LOW_RID)
        report.NotHere(claim, "the fetched file had no low label to lose");
    else if (!placed)
        report.Fail(claim, "its label cannot be read");
    else
        report.Verdict(*placed >= SECURITY_MANDATORY_MEDIUM_RID, claim, "its integrity level is " + Hex(*placed));
}

// Command 3 from the work folder into the folder the dialog accepted.
void CheckPlacement(CCheckReport& report, CPeerSession& session, const std::string& folder)
{
    const std::string source = session.WorkFolder() + "dlcpeer-check-" + Pid() + ".tmp";
    const std::string placed = folder + (folder.back() == '\\' ? "" : "\\") + "placed.txt";
    std::optional<std::uint32_t> result;
    std::optional<DWORD> fetchedLevel;
    if (WriteText(source, "dlcpeer check"))
    {
        fetchedLevel = probes::IntegrityOf(source);
        if (SendFinishRequest(session, {source, placed}))
            if (std::optional<Reply> reply = session.WaitForReply(kReplyMs))
                result = FinishResultOf(*reply);
        ::DeleteFileA(source.c_str());
    }
    const std::string claim = "command 3 places a fetched file in the folder chosen";
    if (!result || *result != 0)
        return report.Fail(claim, result ? "reply 4 with " + ErrorNumber(*result) : "no reply 4");
    report.Pass(claim);
    report.Verdict(probes::HasFolderDacl(placed), "a placed file has the DACL of a file created in its folder",
                   "it has " + probes::DaclText(placed));
    CheckPlacedLabel(report, fetchedLevel, probes::IntegrityOf(placed));
}

void CheckWithAssistant(CCheckReport& report, const std::string& assistantPath, const std::string& folder)
{
    SessionOptions options;
    options.assistantPath = assistantPath;
    CPeerSession session(options);
    const std::string claim = "the assistant starts and answers command 1";
    if (!session.Launch())
        return report.Fail(claim, "it cannot be started: " + ErrorNumber(::GetLastError()));
    if (!session.Attach(kReplyMs))
        return report.Fail(claim, "no reply 1 came");
    report.Pass(claim);
    const DialogOutcome dialog = ChooseInDialog(session, folder);
    CheckForeground(report, dialog);
    if (dialog.accepted.empty())
        report.Fail("the folder dialog accepts the folder chosen in it", "reply 3 named no folder");
    else
        CheckPlacement(report, session, dialog.accepted);
    session.SignalQuit();
    report.Verdict(session.WaitForExit(kEndMs) == 0u, "the assistant ends with exit code 0 at QuitEvent",
                   "it did not");
}

std::string ReadAll(HANDLE pipe)
{
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(pipe, buffer, sizeof buffer, &read, nullptr) && read > 0)
        text.append(buffer, read);
    return text;
}

CHandle StartAssistant(const std::string& path)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    std::string commandLine = "\"" + path + "\"";
    if (!::CreateProcessA(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &started))
        return CHandle();
    ::CloseHandle(started.hThread);
    return CHandle(started.hProcess);
}

// The low copy reports its own lines; the assistant is started here, at this process's level, once
// the copy's session (its events and windows) exists.
void CheckLowIntegrityPeer(CCheckReport& report, const std::string& assistantPath)
{
    const std::string claim = "a low-integrity peer drives the assistant";
    if (!probes::HasIntegrityLevels())
        return report.NotHere(claim, WhyNoLabels());
    CContentListLockSecurity security;
    const std::string lockName = ContentListLockName(OwnPath() + ".check.lst", SystemCodePage());
    const std::string readyName = "dlcpeer-check-ready-" + Pid();
    CHandle lock(::CreateMutexA(security.Get(), FALSE, lockName.c_str()));
    CHandle ready(::CreateEventA(security.Get(), TRUE, FALSE, readyName.c_str()));
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    CHandle readEnd, writeEnd;
    if (!lock || !ready || !::CreatePipe(readEnd.Put(), writeEnd.Put(), &inherit, 0))
        return report.Fail(claim, "cannot make its lock, event and pipe: " + ErrorNumber(::GetLastError()));
    ::SetHandleInformation(readEnd.Get(), HANDLE_FLAG_INHERIT, 0);
    const std::string self = OwnPath();
    CHandle copy = probes::StartAtLowIntegrity(
        self, "\"" + self + "\" check-low \"" + readyName + "\" \"" + lockName + "\"", writeEnd.Get());
    const DWORD startError = ::GetLastError();
    writeEnd.Reset();
    if (!copy)
        return report.Fail(claim, "no copy of dlcpeer starts at low integrity: " + ErrorNumber(startError));
    const HANDLE started[] = {ready.Get(), copy.Get()};
    CHandle assistant;
    if (::WaitForMultipleObjects(2, started, FALSE, kLowCopyReadyMs) == WAIT_OBJECT_0)
        assistant = StartAssistant(assistantPath);
    report.Relay(ReadAll(readEnd.Get()));
    if (assistant && ::WaitForSingleObject(assistant.Get(), kEndMs) != WAIT_OBJECT_0)
        ::TerminateProcess(assistant.Get(), 1);
}
} // namespace

Outcome RunCheckCommand(const std::string& assistantPath)
{
    CCheckReport report;
    CheckWorkFolder(report, CPeerSession::FindWorkFolder(WorkFolderKind::Automatic));
    CheckImports(report, assistantPath);
    CheckImports(report, OwnPath());
    {
        CScratchFolder folder;
        CheckWithAssistant(report, assistantPath, folder.Path());
    }
    CheckLowIntegrityPeer(report, assistantPath);
    std::printf("%d failed\n", report.Failures());
    return report.Failures() ? Outcome::Failed : Outcome::Done;
}

Outcome RunLowIntegrityPeer(const std::string& readyEvent, const std::string& lockName)
{
    CCheckReport report;
    const std::optional<DWORD> level = probes::OwnIntegrity();
    report.Verdict(level == std::optional<DWORD>(SECURITY_MANDATORY_LOW_RID), "the copy of dlcpeer runs at low integrity",
                   level ? "it runs at " + Hex(*level) : "its level cannot be read");
    CPeerSession session;
    CHandle ready(::OpenEventA(EVENT_MODIFY_STATE, FALSE, readyEvent.c_str()));
    if (!ready || !::SetEvent(ready.Get()))
    {
        report.Fail("a low-integrity peer reaches check's event", ErrorNumber(::GetLastError()));
        return Outcome::Failed;
    }
    const bool written = session.SendAttach(WindowToWire(session.PeerWindow()), WindowToWire(session.ReplyWindow()));
    report.Verdict(written, "a low-integrity peer writes the work file", ErrorNumber(::GetLastError()));
    const std::optional<Reply> reply = written ? session.WaitForReply(kReplyMs) : std::nullopt;
    report.Verdict(reply && reply->code == protocol::kReplyAttached, "a low-integrity peer receives the assistant's replies",
                   "no reply 1 came");
    try
    {
        CContentListLockSecurity security;
        CContentListLock held(lockName, security.Get(), 2000);
        report.Pass("a low-integrity peer opens the content list lock");
    }
    catch (const CResourceException& e)
    {
        report.Fail("a low-integrity peer opens the content list lock", ErrorNumber(e.Error()));
    }
    session.SignalQuit();
    return report.Failures() ? Outcome::Failed : Outcome::Done;
}
} // namespace peerkit
