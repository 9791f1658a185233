// The work file as any low-integrity process may write it: framing, then the command's record.
#include "peer/AttachRequest.h"
#include "peer/WorkFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    for (bool whole : {true, false})
    {
        DecodedWorkFile decoded = DecodeWorkFile(data, size, whole);
        if (decoded.action != WorkFileAction::Post)
            continue;
        if (decoded.commandCode == 1)
            DecodeAttachRequest(decoded.payload);
    }
    return 0;
}
