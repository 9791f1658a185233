// The second process of the ContentListLock tests. It takes the lock through the peer kit's writer
// and writes the list in place, line by line, as a peer that relies on the lock alone would.
//   contentlist_lock_holder hold PATH READY_EVENT RELEASE_EVENT LINES
//     writes half the lines, signals READY_EVENT, and writes the rest once RELEASE_EVENT is set
//   contentlist_lock_holder churn PATH STARTED_EVENT ROUNDS LINES
//     rewrites the list ROUNDS times, every line of round r carrying the number r
#include "contentlist/LineFormat.h"
#include "framework/Exceptions.h"
#include "framework/Handle.h"
#include "peerkit/ContentListWriter.h"

#include <cstdlib>
#include <string>

namespace
{
constexpr int kBadArguments = 2;
constexpr int kTimedOut = 3;
constexpr int kWriteFailed = 4;
constexpr int kNoLock = 5;
constexpr DWORD kReleaseTimeoutMs = 60000;

std::string ListLine(int index, int round)
{
    ContentRecord record;
    record.Text1 = "C:\\fetch\\part" + std::to_string(index) + ".tmp";
    record.Text2 = "round";
    record.Number = round;
    return FormatLineText(("k" + std::to_string(index)).c_str(), record);
}

bool WriteLines(HANDLE file, int from, int to, int round)
{
    for (int i = from; i < to; ++i)
    {
        const std::string line = ListLine(i, round);
        DWORD written = 0;
        if (!::WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) ||
            written != line.size())
            return false;
    }
    return true;
}

CFileHandle CreateInPlace(const std::string& path)
{
    return CFileHandle(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
}

int Hold(const std::string& path, const char* ready, const char* release, int lines)
{
    CHandle readyEvent(::OpenEventA(EVENT_MODIFY_STATE, FALSE, ready));
    CHandle releaseEvent(::OpenEventA(SYNCHRONIZE, FALSE, release));
    if (!readyEvent || !releaseEvent)
        return kBadArguments;
    peerkit::CContentListWriter writer(path);
    CContentListLock lock = writer.Lock();
    CFileHandle file = CreateInPlace(path);
    if (!file || !WriteLines(file.Get(), 0, lines / 2, 0) || !::FlushFileBuffers(file.Get()))
        return kWriteFailed;
    ::SetEvent(readyEvent.Get());
    if (::WaitForSingleObject(releaseEvent.Get(), kReleaseTimeoutMs) != WAIT_OBJECT_0)
        return kTimedOut;
    return WriteLines(file.Get(), lines / 2, lines, 0) ? 0 : kWriteFailed;
}

int Churn(const std::string& path, const char* started, int rounds, int lines)
{
    CHandle startedEvent(::OpenEventA(EVENT_MODIFY_STATE, FALSE, started));
    if (!startedEvent)
        return kBadArguments;
    peerkit::CContentListWriter writer(path);
    for (int round = 0; round < rounds; ++round)
    {
        {
            CContentListLock lock = writer.Lock();
            CFileHandle file = CreateInPlace(path);
            if (!file || !WriteLines(file.Get(), 0, lines, round))
                return kWriteFailed;
        }
        if (round == 0)
            ::SetEvent(startedEvent.Get());
        // Gives a waiting reader its turn: a released mutex goes to no waiter in particular.
        ::Sleep(1);
    }
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 6)
        return kBadArguments;
    const std::string mode = argv[1];
    try
    {
        if (mode == "hold")
            return Hold(argv[2], argv[3], argv[4], std::atoi(argv[5]));
        if (mode == "churn")
            return Churn(argv[2], argv[3], std::atoi(argv[4]), std::atoi(argv[5]));
    }
    catch (const CException&)
    {
        return kNoLock;
    }
    return kBadArguments;
}
