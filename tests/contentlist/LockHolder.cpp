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
        lines += FormatLineText(("k" + std::to_string(i)).c_str(), ContentRecord{"C:\\part" + std::to_string(i), "t", 0});
    DWORD written = 0;
    return ::WriteFile(file, lines.data(), static_cast<DWORD>(lines.size()), &written, nullptr) &&
           written == lines.size() && ::FlushFileBuffers(file);
}
} // namespace

int main(int argc, char** argv)
{
    CHandle ready(argc == 4 ? ::OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[2]) : nullptr);
    CHandle release(argc == 4 ? ::OpenEventA(SYNCHRONIZE, FALSE, argv[3]) : nullptr);
    if (!ready || !release)
        return 2;
    try
    {
        peerkit::CContentListWriter writer(argv[1]);
        CContentListLock lock = writer.Lock();
        CFileHandle file(::CreateFileA(argv[1], GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr));
        if (!file || !WriteLines(file.Get(), 0, 20) || !::SetEvent(ready.Get()))
            return 4;
        if (::WaitForSingleObject(release.Get(), 60000) != WAIT_OBJECT_0)
            return 3;
        return WriteLines(file.Get(), 20, 40) ? 0 : 4;
    }
    catch (const CException&)
    {
        return 5; // no lock
    }
}
