// The smallest peer: starts the assistant, attaches, has one file that it fetched into its work
// folder placed with command 3, and ends the assistant with QuitEvent.
//   minimal-peer DESTINATION_FOLDER [ASSISTANT_EXE]
// Exit code 0 when the file was placed and the assistant ended with 0; 1 on a failure, 2 on a
// usage error.
#include "peer/Protocol.h"
#include "peerkit/FinishRequest.h"
#include "peerkit/PeerSession.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <optional>
#include <string>

namespace
{
constexpr DWORD kReplyTimeoutMs = 10000;
constexpr const char* kFileName = "minimal-peer.txt";
constexpr const char kFileText[] = "Fetched by the minimal peer.\r\n";

int Fail(const char* what, unsigned long error = 0)
{
    if (error)
        std::fprintf(stderr, "minimal-peer: %s (Windows error %lu)\n", what, error);
    else
        std::fprintf(stderr, "minimal-peer: %s\n", what);
    return 1;
}

std::string InFolder(std::string folder, const char* name)
{
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/')
        folder += '\\';
    return folder + name;
}

// A real peer downloads here; the work folder is one that a sandboxed peer can write.
bool WriteFetchedFile(const std::string& path)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << kFileText;
    return static_cast<bool>(file.flush());
}

int PlaceOneFile(peerkit::CPeerSession& session, const std::string& destinationFolder)
{
    std::optional<peerkit::Reply> attached = session.Attach(kReplyTimeoutMs);
    if (!attached || attached->code != protocol::kReplyAttached)
        return Fail("no reply 1 to command 1");
    std::printf("attached to the assistant (process %lu)\n", session.ProcessId());

    peerkit::FinishRequest request;
    request.sourcePath = InFolder(session.WorkFolder(), kFileName);
    request.destinationPath = InFolder(destinationFolder, kFileName);
    if (!WriteFetchedFile(request.sourcePath))
        return Fail("cannot write the fetched file into the work folder");
    if (!peerkit::SendFinishRequest(session, request))
        return Fail("cannot send command 3", ::GetLastError());
    std::optional<peerkit::Reply> reply = session.WaitForReply(kReplyTimeoutMs);
    std::optional<std::uint32_t> result = reply ? peerkit::FinishResultOf(*reply) : std::nullopt;
    if (!result)
        return Fail("no reply 4 to command 3");
    if (*result != 0)
        return Fail("the assistant could not place the file", *result);
    std::printf("placed %s\n", request.destinationPath.c_str());
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3)
    {
        std::fprintf(stderr, "usage: minimal-peer DESTINATION_FOLDER [ASSISTANT_EXE]\n");
        return 2;
    }
    peerkit::SessionOptions options; // the assistant beside this program unless named
    if (argc == 3)
        options.assistantPath = argv[2];
    peerkit::CPeerSession session(options);
    if (!session.Launch())
        return Fail("cannot start the assistant", ::GetLastError());

    int status = PlaceOneFile(session, argv[1]);
    session.SignalQuit();
    std::optional<DWORD> exitCode = session.WaitForExit(kReplyTimeoutMs);
    if (!exitCode)
        return Fail("the assistant did not end after QuitEvent");
    std::printf("assistant exit code: %lu\n", *exitCode);
    return status == 0 && *exitCode == 0 ? 0 : 1;
}
