#include "destination/FolderWritable.h"

#include <windows.h>

int IsFolderWritable(const char* path) noexcept
{
    if (!path)
        return 0;
    if (::GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
        return 0;
    char tempName[MAX_PATH] = {};
    if (::GetTempFileNameA(path, "TMP", 0, tempName) == 0)
        return 0;
    // Wine answers non-zero without creating anything where creation is refused: only a file that
    // is really there proves the folder writable.
    if (::GetFileAttributesA(tempName) == INVALID_FILE_ATTRIBUTES)
        return 0;
    ::DeleteFileA(tempName);
    return 1;
}
