// The second process of the ContentListLock test: takes the lock through the peer kit's writer and
// writes the list in place, in two parts, as a peer that relies on the lock alone would:
//   contentlist_lock_holder PATH READY_EVENT RELEASE_EVENT
// writes lines k0 to k19, signals READY_EVENT, and k20 to k39 once RELEASE_EVENT is set.
#include "contentlist/LineFormat.h"
#include "framework/Exceptions.h"
#include "framework/Handle.h"
#include "peerkit/ContentListWriter.h"

namespace
{
bool WriteLines(HANDLE file, int from, int to)
{
    std::string lines;
    for (int i = from; i < to; ++i)
        lines += FormatLineText(("k" + std::to_string(i)).c_str(),
                                ContentRecord{"C:\\part" + std::to_string(i), "t", 0});
    DWORD written = 0;
    return ::WriteFile(file, lines.data(), static_cast<DWORD>(lines.size()), &written, nullptr) &&
           written == lines.size() && ::FlushFileBuffers(file);
}

int Hold(const char* path, HANDLE ready, HANDLE release)
{
    peerkit::CContentListWriter writer(path);
    CContentListLock lock = writer.Lock();
    CFileHandle file(::CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!file || !WriteLines(file.Get(), 0, 20) || !::SetEvent(ready))
        return 4;
    if (::WaitForSingleObject(release, 60000) != WAIT_OBJECT_0)
        return 3;
    return WriteLines(file.Get(), 20, 40) ? 0 : 4;
}
} // namespace

int main(int argc, char** argv)
{
    CHandle ready(argc == 4 ? ::OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[2]) : nullptr);
    CHandle release(argc == 4 ? ::OpenEventA(SYNCHRONIZE, FALSE, argv[3]) : nullptr);
    try
    {
        return ready && release ? Hold(argv[1], ready.Get(), release.Get()) : 2;
    }
    catch (const CException&)
    {
        return 5; // no lock
    }
}
