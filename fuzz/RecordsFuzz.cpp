// The records of commands 2 and 3 as any process that can write the work file may shape them.
#include "destination/DownloadRequest.h"
#include "environment/FinishRequest.h"
#include "environment/PathForm.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Exact-size copies, so that the sanitizer sees any read past the payload's real end.
    std::vector<std::uint8_t> payload(data, data + size);
    DecodedDownloadRequest download = DecodeDownloadRequest(payload.data(), payload.size());
    if (download.status == DownloadRequestStatus::Decoded)
    {
        std::size_t expected = download.request.entryCount > 0 ? static_cast<std::size_t>(download.request.entryCount) : 0;
        if (download.request.entries.size() != expected)
            __builtin_trap();
    }
    DecodedFinishRequest finish = DecodeFinishRequest(payload);
    if (finish.decision == FinishDecision::Place)
    {
        for (unsigned codePage : {932u, 1252u})
            SamePathIgnoringCase(finish.request.sourcePath, finish.request.destinationPath, codePage);
    }
    return 0;
}
