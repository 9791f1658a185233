// Prints what the protocol costs: command 1's reply time, the idle assistant's CPU time and the
// time from process start to the first reply. Run under Wine: wine bench_protocol.exe [idle-seconds]
// DA_BENCH_ASSISTANT names another assistant executable (an earlier build, say); DA_BENCH_REPLIES a
// file that receives every reply time in milliseconds, one a line, for plotting.
#include "peer/Protocol.h"
#include "peerkit/PeerSession.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace
{
using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

std::vector<std::uint8_t> AttachRecord(const peerkit::CPeerSession& session)
{
    std::vector<std::uint8_t> record;
    peerkit::AppendUInt32(record, 12);
    peerkit::AppendUInt32(record, peerkit::WindowToWire(session.PeerWindow()));
    peerkit::AppendUInt32(record, peerkit::WindowToWire(session.ReplyWindow()));
    return record;
}

std::string ReadSmallFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Wine reports no CPU times for another process, so under Wine the figure comes from the Linux
// process behind the assistant, read through drive Z: (utime + stime of /proc/PID/stat, in ticks
// of 1/100 s). Negative when it cannot be found.
double CpuSeconds(HANDLE process)
{
    FILETIME created, exited, kernel, user;
    auto toSeconds = [](const FILETIME& t) {
        return ((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    if (::GetProcessTimes(process, &created, &exited, &kernel, &user) &&
        toSeconds(kernel) + toSeconds(user) > 0)
        return toSeconds(kernel) + toSeconds(user);
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA("Z:\\proc\\*", &data);
    if (find == INVALID_HANDLE_VALUE)
        return -1;
    double seconds = -1;
    do
    {
        std::string dir = std::string("Z:\\proc\\") + data.cFileName;
        if (!std::isdigit(static_cast<unsigned char>(data.cFileName[0])) ||
            ReadSmallFile(dir + "\\cmdline").find("KavoDownloadAssistant.exe") == std::string::npos)
            continue;
        std::string stat = ReadSmallFile(dir + "\\stat");
        std::istringstream fields(stat.substr(stat.rfind(')') + 2));
        std::string field;
        unsigned long long utime = 0, stime = 0;
        for (int i = 3; i <= 15 && fields >> field; ++i)
        {
            if (i == 14)
                utime = std::stoull(field);
            if (i == 15)
                stime = std::stoull(field);
        }
        seconds = (utime + stime) / 100.0;
    } while (::FindNextFileA(find, &data));
    ::FindClose(find);
    return seconds;
}

peerkit::SessionOptions BenchOptions()
{
    peerkit::SessionOptions options;
    if (const char* assistant = std::getenv("DA_BENCH_ASSISTANT"))
        options.assistantPath = assistant;
    return options;
}

// The first command is waiting before the process starts: its reply time is start-up plus the
// first poll.
void MeasureStartToFirstReply()
{
    peerkit::CPeerSession session(BenchOptions());
    std::vector<std::uint8_t> bytes;
    peerkit::AppendUInt32(bytes, protocol::kCommandAttach);
    std::vector<std::uint8_t> record = AttachRecord(session);
    bytes.insert(bytes.end(), record.begin(), record.end());
    session.WriteWorkFile(bytes);
    session.SignalRequest();
    Clock::time_point start = Clock::now();
    session.Launch();
    bool answered = session.WaitForReply(5000).has_value();
    std::printf("start to first reply (a command 1 waiting at the start): %s%.0f ms\n",
                answered ? "" : "no reply, ", Milliseconds(Clock::now() - start));
}

void MeasureReplyTimes(peerkit::CPeerSession& session, int count)
{
    std::vector<double> times;
    for (int i = 0; i < count; ++i)
    {
        Clock::time_point sent = Clock::now();
        session.SendCommand(protocol::kCommandAttach, AttachRecord(session));
        if (!session.WaitForReply(3000))
        {
            std::printf("command 1 #%d: no reply\n", i);
            continue;
        }
        times.push_back(Milliseconds(Clock::now() - sent));
        // A new command at a different phase of the one-second tick each time.
        session.Pump(static_cast<DWORD>(37 * (i % 7)));
    }
    if (const char* file = std::getenv("DA_BENCH_REPLIES"))
    {
        std::ofstream out(file);
        for (double ms : times)
            out << ms << "\n";
    }
    std::sort(times.begin(), times.end());
    if (times.empty())
        return;
    std::printf("command 1 reply time over %zu commands: median %.0f ms, worst %.0f ms, best %.0f ms\n",
                times.size(), times[times.size() / 2], times.back(), times.front());
}

void MeasureIdleCpu(peerkit::CPeerSession& session, int seconds)
{
    double before = CpuSeconds(session.Process());
    Clock::time_point start = Clock::now();
    session.Pump(static_cast<DWORD>(seconds) * 1000);
    double wall = std::chrono::duration<double>(Clock::now() - start).count();
    double after = CpuSeconds(session.Process());
    if (before < 0 || after < 0)
    {
        std::printf("idle CPU: the assistant's CPU time cannot be read here\n");
        return;
    }
    double used = after - before;
    std::printf("idle CPU over %.0f s: %.3f s, %.3f%% of one core\n", wall, used, 100.0 * used / wall);
}
} // namespace

int main(int argc, char** argv)
{
    int idleSeconds = argc > 1 ? std::atoi(argv[1]) : 30;
    MeasureStartToFirstReply();
    peerkit::CPeerSession session(BenchOptions());
    if (!session.Launch() || !session.Attach(5000))
    {
        std::printf("the assistant did not attach\n");
        return 1;
    }
    MeasureReplyTimes(session, 200);
    MeasureIdleCpu(session, idleSeconds);
    return 0;
}
