#include "peer/WorkFilePoll.h"

#include "framework/Handle.h"
#include "peer/Protocol.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace
{
constexpr size_t kMaxPath = 260;

bool FileExists(const std::string& path)
{
    WIN32_FIND_DATAA data;
    CFindHandle find(::FindFirstFileA(path.c_str(), &data));
    return static_cast<bool>(find);
}

// Reads from the start up to one byte past the largest payload, so an oversized file shows
// as not whole. A read error also leaves the contents not whole.
std::vector<std::uint8_t> ReadContents(HANDLE file, bool& whole)
{
    const size_t limit = 4 + static_cast<size_t>(protocol::kMaxPayloadBytes) + 1;
    std::vector<std::uint8_t> bytes;
    std::uint8_t chunk[64 * 1024];
    whole = true;
    while (bytes.size() < limit)
    {
        DWORD wanted = static_cast<DWORD>(std::min(sizeof chunk, limit - bytes.size()));
        DWORD got = 0;
        if (!::ReadFile(file, chunk, wanted, &got, nullptr))
        {
            whole = false;
            return bytes;
        }
        if (got == 0)
            return bytes;
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    whole = false;
    return bytes;
}

bool DeleteWorkFile(const std::string& path)
{
    // A file whose attributes cannot be reset stays, and the next signal reads it again.
    return ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL) && ::DeleteFileA(path.c_str());
}
} // namespace

CHandle OpenRequestEvent()
{
    return CHandle(::OpenEventA(protocol::kEventAllAccess, FALSE, protocol::kRequestEventName));
}

bool TakeRequestSignal(HANDLE requestEvent)
{
    return requestEvent && ::WaitForSingleObject(requestEvent, 0) == WAIT_OBJECT_0;
}

std::optional<DecodedWorkFile> ReadWorkFile(const std::string& workFolder)
{
    const std::string path = workFolder + protocol::kWorkFileName;
    if (path.size() >= kMaxPath || !FileExists(path))
        return std::nullopt;

    DecodedWorkFile decoded;
    {
        CFileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file)
        {
            bool whole = false;
            std::vector<std::uint8_t> bytes = ReadContents(file.Get(), whole);
            decoded = DecodeWorkFile(bytes.data(), bytes.size(), whole);
        }
        else if (::GetLastError() == ERROR_SHARING_VIOLATION)
        {
            // A file the peer still holds open is a command being written: deleting it once the
            // peer lets go would lose that command. It stays, and the next tick reads it.
            decoded.heldOpen = true;
        }
        else
        {
            decoded.action = WorkFileAction::Discard;
        }
    }
    if (decoded.action != WorkFileAction::LeaveInPlace)
        decoded.removed = DeleteWorkFile(path);
    return decoded;
}
