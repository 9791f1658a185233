// dlcpeer: a command-line peer. Starts the assistant, drives it through the protocol and prints
// every command and reply as it happens; also shows and sets the placement policy. Its help text
// below lists the commands, options and exit codes.
#include "peer/Protocol.h"
#include "peer/Records.h"
#include "tools/dlcpeer/CheckCommand.h"
#include "tools/dlcpeer/DownloadCommand.h"
#include "peerkit/FinishPolicySetting.h"
#include "peerkit/FinishRequest.h"
#include "peerkit/PeerSession.h"
#include "tools/dlcpeer/TypicalCommand.h"

#include <cstdio>
#include <string>
#include <vector>

namespace
{
using peerkit::Outcome;

// The project's version, passed in by the build.
constexpr const char* kVersion = DLCPEER_VERSION;

constexpr const char* kHelp =
    R"(usage: dlcpeer [--exe PATH] [--xp] [--end quit|destroy] [--shots] [COMMAND [OPERAND...]]
       dlcpeer policy [0|1|2]
       dlcpeer [--exe PATH] check
       dlcpeer --help | --version

A command-line peer: starts the assistant, attaches (command 1), runs COMMAND and ends the
assistant, printing every command and reply as it happens.

Commands:
  attach                   command 1 alone (the default)
  finish SOURCE DESTINATION
                           command 3: the assistant places the file SOURCE at DESTINATION
  download [FOLDER]        command 2 without entries; FOLDER is chosen in the folder dialog for the
                           user, else whoever sits at the display chooses
  typical [FOLDER [UNWRITABLE]]
                           a typical download of three contents, one of them partly fetched before,
                           each placed with command 3. With FOLDER (created when missing) a scripted
                           user answers every dialog, trying the folder UNWRITABLE first when given;
                           without it whoever sits at the display answers
  check                    checks, on the Windows it runs on, what the assistant claims and tests
                           under Wine cannot show: the work folder is writable at low integrity,
                           every import is there, the folder dialog comes to the front, a placed
                           file takes its folder's DACL and loses its low label, and a copy of
                           dlcpeer at low integrity can drive the assistant. One line per claim:
                           PASS, FAIL or "not checkable here" with the reason
  policy [0|1|2]           starts no assistant: shows the placement policy FinishPolicy (the user's
                           value, the machine's value, which overrides it, and the level in force);
                           with a level, first writes the user's value. Command 3 takes the paths
                           as named at 0, only plain paths at 1, and at 2 also only into a folder
                           the user chose

Options:
  --exe PATH               the assistant (default: KavoDownloadAssistant.exe beside dlcpeer)
  --xp                     use the work folder of Windows XP, the ordinary temporary folder
  --end quit|destroy       end the assistant by signalling QuitEvent (default) or by destroying
                           PeerWindow
  --shots                  typical: at each dialog print "@@shot NAME LEFT TOP WIDTH HEIGHT" and
                           read a line from standard input before going on

Exit codes:
  0  done (and the assistant ended with exit code 0)
  1  another failure: no assistant at its path, no work folder, the assistant did not start, did
     not end or ended with another exit code, an expected dialog did not show, a file could not
     be written, the policy value could not be written
  2  usage error: an unknown command or option, a wrong operand
  3  command 3 refused or failed (its Windows error number is printed)
  4  no reply in time
  5  the download was given up by the user (reply 3 without a folder)
Which command can end how: attach 0 1 2 4; finish 0 1 2 3 4; download 0 1 2 4 5;
typical 0 1 2 3 4 5; policy 0 1 2; check 0 1 2 (1: a claim failed).
)";

struct Arguments
{
    peerkit::SessionOptions options;
    std::string command = "attach";
    std::vector<std::string> operands;
    bool endByDestroy = false;
    bool screenshots = false;
    bool help = false;
    bool version = false;
    std::string error; // the usage error, named
};

struct CommandShape
{
    const char* name;
    std::size_t minOperands;
    std::size_t maxOperands;
    const char* operands;
};

const CommandShape kCommands[] = {
    {"attach", 0, 0, "no operand"},         {"finish", 2, 2, "SOURCE DESTINATION"},
    {"download", 0, 1, "at most a FOLDER"}, {"typical", 0, 2, "at most FOLDER UNWRITABLE"},
    {"policy", 0, 1, "at most a level"},    {"check", 0, 0, "no operand"},
    {"check-low", 2, 2, "READY-EVENT LOCK-NAME"},
};

bool IsFolder(const std::string& path)
{
    DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFile(const std::string& path)
{
    DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The problem with the command's operands, or empty.
std::string CheckOperands(const Arguments& args)
{
    const CommandShape* shape = nullptr;
    for (const CommandShape& candidate : kCommands)
        shape = args.command == candidate.name ? &candidate : shape;
    if (!shape)
        return "unknown command '" + args.command + "'";
    const std::vector<std::string>& operands = args.operands;
    if (operands.size() < shape->minOperands || operands.size() > shape->maxOperands)
        return std::string(shape->name) + " takes " + shape->operands + "; " +
               std::to_string(operands.size()) + " given";
    if (args.command == "finish" && !peerkit::EncodeFinishRequest({operands[0], operands[1]}))
        return "a path of finish is longer than 259 bytes";
    if (args.command == "download" && !operands.empty() && !IsFolder(operands[0]))
        return "download: '" + operands[0] + "' is not a folder";
    if (args.command == "typical" && operands.size() == 2 && !IsFolder(operands[1]))
        return "typical: '" + operands[1] + "' is not a folder";
    if (args.command == "policy" && !operands.empty() && operands[0] != "0" && operands[0] != "1" &&
        operands[0] != "2")
        return "policy takes the level 0, 1 or 2, not '" + operands[0] + "'";
    return std::string();
}

// An option that takes a value; the error named when it has none or a wrong one.
void TakeOptionValue(Arguments& args, const std::string& option, const char* value)
{
    if (option == "--exe" && value)
        args.options.assistantPath = value;
    else if (option == "--exe")
        args.error = "--exe needs a PATH";
    else if (value && (std::string(value) == "quit" || std::string(value) == "destroy"))
        args.endByDestroy = std::string(value) == "destroy";
    else
        args.error = "--end takes quit or destroy";
}

Arguments ParseArguments(int argc, char** argv)
{
    Arguments args;
    bool commandSeen = false;
    for (int i = 1; i < argc && args.error.empty(); ++i)
    {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h")
            args.help = true;
        else if (arg == "--version")
            args.version = true;
        else if (arg == "--exe" || arg == "--end")
            TakeOptionValue(args, arg, i + 1 < argc ? argv[++i] : nullptr);
        else if (arg == "--xp")
            args.options.workFolder = peerkit::WorkFolderKind::OrdinaryTemp;
        else if (arg == "--shots")
            args.screenshots = true;
        else if (!arg.empty() && arg[0] == '-')
            args.error = "unknown option '" + arg + "'";
        else if (commandSeen)
            args.operands.push_back(arg);
        else
        {
            args.command = arg;
            commandSeen = true;
        }
    }
    if (args.error.empty() && !args.help && !args.version)
        args.error = CheckOperands(args);
    return args;
}

void PrintReply(const peerkit::Reply& reply, double seconds)
{
    std::printf("[%6.2f s] reply %u, %zu data bytes", seconds, reply.code, reply.data.size());
    if (reply.data.size() == 4 && reply.code != protocol::kReplyFolder)
    {
        std::printf(", value %lu", static_cast<unsigned long>(ReadUInt32(reply.data.data(), 0)));
    }
    else if (std::optional<std::string> folder = peerkit::FolderOfReply(reply); folder && !folder->empty())
    {
        std::printf(", \"%s\"", folder->c_str());
    }
    std::printf("\n");
    std::fflush(stdout);
}

void PrintPolicyValue(const char* root, const char* subkey, const std::optional<DWORD>& value)
{
    std::printf("%s\\%s\\%s: ", root, subkey, peerkit::kFinishPolicyValue);
    if (value)
        std::printf("%lu\n", static_cast<unsigned long>(*value));
    else
        std::printf("not set (or not a REG_DWORD)\n");
}

Outcome RunPolicy(const std::vector<std::string>& operands)
{
    if (!operands.empty() && !peerkit::WriteUserFinishPolicy(std::stoul(operands[0])))
    {
        std::fprintf(stderr, "dlcpeer: cannot write %s under HKEY_CURRENT_USER\\%s (error %lu)\n",
                     peerkit::kFinishPolicyValue, peerkit::kUserSettingsKey, ::GetLastError());
        return Outcome::Failed;
    }
    std::optional<DWORD> machine = peerkit::ReadFinishPolicyUnder(HKEY_LOCAL_MACHINE);
    PrintPolicyValue("HKEY_CURRENT_USER", peerkit::kUserSettingsKey,
                     peerkit::ReadFinishPolicyUnder(HKEY_CURRENT_USER));
    PrintPolicyValue("HKEY_LOCAL_MACHINE", peerkit::kMachinePolicyKey, machine);
    std::printf("level in force: %lu%s\n", static_cast<unsigned long>(peerkit::EffectiveFinishPolicy()),
                machine ? " (the machine's value)" : "");
    return Outcome::Done;
}

Outcome EndSession(peerkit::CPeerSession& session, bool byDestroy)
{
    if (byDestroy)
    {
        std::printf("[%6.2f s] destroying PeerWindow\n", session.SecondsSinceLaunch());
        session.DestroyPeerWindow();
    }
    else
    {
        std::printf("[%6.2f s] signalling QuitEvent\n", session.SecondsSinceLaunch());
        session.SignalQuit();
    }
    std::fflush(stdout);
    std::optional<DWORD> exitCode = session.WaitForExit(15000);
    if (!exitCode)
    {
        std::printf("the assistant did not end\n");
        return Outcome::Failed;
    }
    std::printf("[%6.2f s] the assistant ended with exit code %lu\n", session.SecondsSinceLaunch(),
                static_cast<unsigned long>(*exitCode));
    return *exitCode == 0 ? Outcome::Done : Outcome::Failed;
}

Outcome RunCommand(peerkit::CPeerSession& session, const Arguments& args)
{
    const std::vector<std::string>& operands = args.operands;
    if (args.command == "finish")
        return peerkit::RunFinishCommand(session, {operands[0], operands[1]}, PrintReply);
    if (args.command == "download")
        return peerkit::RunDownloadCommand(session, operands.empty() ? "" : operands[0], PrintReply);
    if (args.command == "typical")
    {
        peerkit::TypicalOptions typical;
        typical.folder = operands.empty() ? "" : operands[0];
        typical.unwritable = operands.size() < 2 ? "" : operands[1];
        typical.screenshots = args.screenshots;
        return peerkit::RunTypicalDownload(session, typical, PrintReply);
    }
    return Outcome::Done;
}

std::string AssistantPath(const Arguments& args)
{
    return args.options.assistantPath.empty() ? peerkit::CPeerSession::DefaultAssistantPath()
                                              : args.options.assistantPath;
}

// Checked first, because the assistant itself says nothing when it cannot start or work.
bool CanStart(const peerkit::CPeerSession& session, const std::string& exe)
{
    if (!IsFile(exe))
    {
        std::fprintf(stderr, "dlcpeer: no assistant at %s (name it with --exe PATH)\n", exe.c_str());
        return false;
    }
    if (!IsFolder(session.WorkFolder()))
    {
        std::fprintf(stderr, "dlcpeer: the work folder %s is missing and cannot be created\n",
                     session.WorkFolder().c_str());
        return false;
    }
    return true;
}

Outcome RunSession(const Arguments& args)
{
    peerkit::CPeerSession session(args.options);
    std::string exe = AssistantPath(args);
    if (!CanStart(session, exe))
        return Outcome::Failed;
    std::printf("work file: %s\n", session.WorkFilePath().c_str());
    if (!session.Launch())
    {
        std::fprintf(stderr, "dlcpeer: cannot start %s (error %lu)\n", exe.c_str(), ::GetLastError());
        return Outcome::Failed;
    }
    std::printf("[%6.2f s] started the assistant, process %lu\n", session.SecondsSinceLaunch(),
                static_cast<unsigned long>(session.ProcessId()));
    std::printf("[%6.2f s] command 1: PeerWindow %08x, ReplyWindow %08x\n", session.SecondsSinceLaunch(),
                peerkit::WindowToWire(session.PeerWindow()), peerkit::WindowToWire(session.ReplyWindow()));
    std::fflush(stdout);
    std::optional<peerkit::Reply> reply = session.Attach(5000);
    if (!reply)
    {
        std::printf("no reply to command 1\n");
        return Outcome::NoReply;
    }
    PrintReply(*reply, session.SecondsSinceLaunch());
    Outcome outcome = RunCommand(session, args);
    Outcome ended = EndSession(session, args.endByDestroy);
    return outcome != Outcome::Done ? outcome : ended;
}
} // namespace

int main(int argc, char** argv)
{
    Arguments args = ParseArguments(argc, argv);
    if (!args.error.empty())
    {
        std::fprintf(stderr, "dlcpeer: %s\nrun dlcpeer --help for the commands, options and exit codes\n",
                     args.error.c_str());
        return static_cast<int>(Outcome::Usage);
    }
    if (args.help)
        std::fputs(kHelp, stdout);
    else if (args.version)
        std::printf("dlcpeer %s\n", kVersion);
    else if (args.command == "policy")
        return static_cast<int>(RunPolicy(args.operands));
    else if (args.command == "check")
        return static_cast<int>(peerkit::RunCheckCommand(AssistantPath(args)));
    else if (args.command == "check-low") // what check starts at low integrity
        return static_cast<int>(peerkit::RunLowIntegrityPeer(args.operands[0], args.operands[1]));
    else
        return static_cast<int>(RunSession(args));
    return static_cast<int>(Outcome::Done);
}
