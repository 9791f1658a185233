// dlcpeer: a command-line peer. Starts the assistant, drives it through the protocol and prints
// every command and reply as it happens.
//   dlcpeer [--exe PATH] [--xp] [--end quit|destroy] attach
//   dlcpeer [--exe PATH] [--xp] [--end quit|destroy] finish SOURCE DESTINATION
//   dlcpeer [--exe PATH] [--xp] [--end quit|destroy] download [FOLDER]
//   dlcpeer [--exe PATH] [--xp] [--end quit|destroy] [--shots] typical [FOLDER [UNWRITABLE]]
#include "peer/Protocol.h"
#include "peerkit/DownloadCommand.h"
#include "peerkit/FinishRequest.h"
#include "peerkit/PeerSession.h"
#include "peerkit/TypicalCommand.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace
{
struct Arguments
{
    peerkit::SessionOptions options;
    std::string command = "attach";
    std::vector<std::string> operands;
    bool endByDestroy = false;
    bool screenshots = false;
};

void PrintReply(const peerkit::Reply& reply, double seconds)
{
    std::printf("[%6.2f s] reply %u, %zu data bytes", seconds, reply.code, reply.data.size());
    if (reply.data.size() == 4 && reply.code != protocol::kReplyFolder)
    {
        unsigned value = reply.data[0] | (reply.data[1] << 8) | (reply.data[2] << 16) |
                         (static_cast<unsigned>(reply.data[3]) << 24);
        std::printf(", value %u", value);
    }
    else if (!reply.data.empty())
    {
        std::printf(", \"%.*s\"", static_cast<int>(reply.data.size() - 1),
                    reinterpret_cast<const char*>(reply.data.data()));
    }
    std::printf("\n");
    std::fflush(stdout);
}

bool ParseArguments(int argc, char** argv, Arguments& args)
{
    bool commandSeen = false;
    for (int i = 1; i < argc; ++i)
    {
        std::string arg = argv[i];
        if (arg == "--exe" && i + 1 < argc)
            args.options.assistantPath = argv[++i];
        else if (arg == "--xp")
            args.options.workFolder = peerkit::WorkFolderKind::OrdinaryTemp;
        else if (arg == "--end" && i + 1 < argc)
            args.endByDestroy = std::strcmp(argv[++i], "destroy") == 0;
        else if (arg == "--shots")
            args.screenshots = true;
        else if (arg[0] != '-' && commandSeen)
            args.operands.push_back(arg);
        else if (arg[0] != '-')
        {
            args.command = arg;
            commandSeen = true;
        }
        else
            return false;
    }
    return (args.command == "attach" && args.operands.empty()) ||
           (args.command == "finish" && args.operands.size() == 2) ||
           (args.command == "download" && args.operands.size() <= 1) ||
           (args.command == "typical" && args.operands.size() <= 2);
}

// Command 3 and its reply 4; a large executable's copy may take a while.
bool Finish(peerkit::CPeerSession& session, const peerkit::FinishRequest& request)
{
    std::printf("[%6.2f s] command 3: \"%s\" -> \"%s\"\n", session.SecondsSinceLaunch(),
                request.sourcePath.c_str(), request.destinationPath.c_str());
    std::fflush(stdout);
    if (!peerkit::SendFinishRequest(session, request))
    {
        std::printf("cannot send command 3 (a path longer than 259 bytes?)\n");
        return false;
    }
    std::optional<peerkit::Reply> reply = session.WaitForReply(120000);
    if (!reply)
    {
        std::printf("no reply to command 3\n");
        return false;
    }
    PrintReply(*reply, session.SecondsSinceLaunch());
    return true;
}

int EndSession(peerkit::CPeerSession& session, bool byDestroy)
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
        return 1;
    }
    std::printf("[%6.2f s] the assistant ended with exit code %lu\n", session.SecondsSinceLaunch(),
                static_cast<unsigned long>(*exitCode));
    return *exitCode == 0 ? 0 : 1;
}
} // namespace

int main(int argc, char** argv)
{
    Arguments args;
    if (!ParseArguments(argc, argv, args))
    {
        std::fprintf(stderr,
                     "usage: dlcpeer [--exe PATH] [--xp] [--end quit|destroy] attach\n"
                     "       dlcpeer [--exe PATH] [--xp] [--end quit|destroy] finish SOURCE DESTINATION\n"
                     "       dlcpeer [--exe PATH] [--xp] [--end quit|destroy] download [FOLDER]\n"
                     "       dlcpeer [--exe PATH] [--xp] [--end quit|destroy] [--shots] typical [FOLDER "
                     "[UNWRITABLE]]\n");
        return 2;
    }
    peerkit::CPeerSession session(args.options);
    std::printf("work file: %s\n", session.WorkFilePath().c_str());
    if (!session.Launch())
    {
        std::fprintf(stderr, "cannot start the assistant (error %lu)\n", ::GetLastError());
        return 1;
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
        return 1;
    }
    PrintReply(*reply, session.SecondsSinceLaunch());
    if (args.command == "finish" && !Finish(session, {args.operands[0], args.operands[1]}))
        return 1;
    if (args.command == "download" &&
        !peerkit::RunDownloadCommand(session, args.operands.empty() ? "" : args.operands[0], PrintReply))
        return 1;
    if (args.command == "typical")
    {
        peerkit::TypicalOptions typical;
        typical.folder = args.operands.empty() ? "" : args.operands[0];
        typical.unwritable = args.operands.size() < 2 ? "" : args.operands[1];
        typical.screenshots = args.screenshots;
        if (!peerkit::RunTypicalDownload(session, typical, PrintReply))
            return 1;
    }
    return EndSession(session, args.endByDestroy);
}
