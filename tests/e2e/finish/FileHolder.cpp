// Another process that holds files open without sharing until it is told to let go:
//   e2e_finish_holder READY_EVENT RELEASE_EVENT PATH...
// It signals READY_EVENT once every file is open and ends with 0 when RELEASE_EVENT is signalled
// (or with 4 after a minute, should its test be gone); 2 when a file cannot be opened.
#include "framework/Handle.h"

#include <vector>

int main(int argc, char** argv)
{
    std::vector<CFileHandle> files;
    for (int i = 3; i < argc; ++i)
        if (!files.emplace_back(::CreateFileA(argv[i], GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)))
            return 2;
    CHandle ready(argc > 3 ? ::OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[1]) : nullptr);
    CHandle release(argc > 3 ? ::OpenEventA(SYNCHRONIZE, FALSE, argv[2]) : nullptr);
    if (!ready || !release || !::SetEvent(ready.Get()))
        return 3;
    return ::WaitForSingleObject(release.Get(), 60000) == WAIT_OBJECT_0 ? 0 : 4;
}
