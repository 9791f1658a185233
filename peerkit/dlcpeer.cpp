// dlcpeer: a command-line peer. Starts the assistant, drives it through the protocol and prints
// every command and reply as it happens.
//   dlcpeer [--exe PATH] [--xp] [--end quit|destroy] attach
#include "peer/Protocol.h"
#include "peerkit/PeerSession.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace
{
struct Arguments
{
    peerkit::SessionOptions options;
    std::string command = "attach";
    bool endByDestroy = false;
};

void PrintReply(const peerkit::Reply& reply, double seconds)
{
    std::printf("[%6.2f s] reply %u, %zu data bytes", seconds, reply.code, reply.data.size());
    if (reply.data.size() == 4)
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
    for (int i = 1; i < argc; ++i)
    {
        std::string arg = argv[i];
        if (arg == "--exe" && i + 1 < argc)
            args.options.assistantPath = argv[++i];
        else if (arg == "--xp")
            args.options.workFolder = peerkit::WorkFolderKind::OrdinaryTemp;
        else if (arg == "--end" && i + 1 < argc)
            args.endByDestroy = std::strcmp(argv[++i], "destroy") == 0;
        else if (arg[0] != '-')
            args.command = arg;
        else
            return false;
    }
    return args.command == "attach";
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
        std::fprintf(stderr, "usage: dlcpeer [--exe PATH] [--xp] [--end quit|destroy] attach\n");
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
    return EndSession(session, args.endByDestroy);
}
