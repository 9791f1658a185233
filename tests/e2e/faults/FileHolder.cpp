// A separate process that holds one file open without sharing until it is told to let go:
//   e2e_faults_holder PATH READY_EVENT RELEASE_EVENT
// It signals READY_EVENT once the file is open and ends when RELEASE_EVENT is signalled (or after
// a minute, should its test be gone). Exit code 0, or 2 when the file cannot be opened.
#include "framework/Handle.h"

#include <windows.h>

int main(int argc, char** argv)
{
    if (argc != 4)
        return 1;
    CFileHandle file(
        ::CreateFileA(argv[1], GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return 2;
    CHandle ready(::OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[2]));
    CHandle release(::OpenEventA(SYNCHRONIZE, FALSE, argv[3]));
    if (!ready || !release || !::SetEvent(ready.Get()))
        return 3;
    return ::WaitForSingleObject(release.Get(), 60000) == WAIT_OBJECT_0 ? 0 : 4;
}
