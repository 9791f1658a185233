#include "destination/ExistingFiles.h"

// No conflict is looked for yet: every writable folder is accepted as it is.
int CheckExistingFiles(const std::string&, const DownloadRequest&, std::uint32_t*)
{
    return 0;
}
