// Figures for the content list: loading a large list, and the conflict check's way of using it, one
// freshly loaded list per look-up. Run by hand natively and under Wine; it prints and asserts nothing.
#include "contentlist/ContentListText.h"
#include "contentlist/LineFormat.h"
#include "contentlist/WantedRecords.h"
#ifdef _WIN32
#include "contentlist/ContentList.h"

#include <psapi.h>
#else
#include <sys/resource.h>

#include <ctime>
#endif

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace
{
using Clock = std::chrono::steady_clock;

constexpr int kLargeList = 100000;
constexpr int kSmallList = 10000;
constexpr int kLookups = 100;
constexpr int kRuns = 5;

// Wall time and the process's processor time: on a shared machine the second shows what the code
// costs when other work delays it.
struct Timing
{
    double wallMs = -1;
    double cpuMs = -1;
};

double ProcessCpuMs()
{
#ifdef _WIN32
    FILETIME created, exited, kernel, user;
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto ticks = [](const FILETIME& t) {
        return (static_cast<double>(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime);
    };
    return (ticks(kernel) + ticks(user)) / 10000.0;
#else
    return static_cast<double>(std::clock()) * 1000.0 / CLOCKS_PER_SEC;
#endif
}

// The process's peak memory so far, in MiB: the peak working set on Windows, the peak resident set
// elsewhere.
double PeakMiB()
{
#ifdef _WIN32
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
#else
    rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
#endif
}

std::string Key(int i)
{
    char key[32];
    std::snprintf(key, sizeof key, "content-%06d", i);
    return key;
}

std::string MakeList(int lines)
{
    std::string text;
    for (int i = 0; i < lines; ++i)
    {
        ContentRecord record;
        record.Text1 =
            "C:\\Users\\user\\AppData\\Local\\Temp\\Low\\fetch\\part-" + std::to_string(i) + ".tmp";
        record.Text2 = "mirror-" + std::to_string(i % 7) + "/item";
        record.Number = i;
        text += FormatLineText(Key(i).c_str(), record);
    }
    return text;
}

void WriteBytes(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadBytes(const std::filesystem::path& path)
{
    std::string bytes(static_cast<std::size_t>(std::filesystem::file_size(path)), '\0');
    std::ifstream(path, std::ios::binary).read(&bytes[0], static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

// The best wall time and the best processor time of the runs; -1 when an operation failed.
template <class Operation> Timing BestOf(int runs, Operation operation)
{
    Timing best{1e300, 1e300};
    for (int i = 0; i < runs; ++i)
    {
        const Clock::time_point start = Clock::now();
        const double cpuStart = ProcessCpuMs();
        if (!operation())
            return Timing();
        best.wallMs =
            std::min(best.wallMs, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        best.cpuMs = std::min(best.cpuMs, ProcessCpuMs() - cpuStart);
    }
    return best;
}

void PrintLoad(const char* what, int lines, Timing timing)
{
    if (timing.wallMs < 0)
        std::printf("%-42s FAILED\n", what);
    else
        std::printf("%-42s %7.1f ms (%5.2f M lines/s), cpu %7.1f ms (%5.2f M lines/s)\n", what, timing.wallMs,
                    lines / timing.wallMs / 1000.0, timing.cpuMs, lines / timing.cpuMs / 1000.0);
}

void PrintLookups(const char* what, Timing timing)
{
    if (timing.wallMs < 0)
        std::printf("%-42s FAILED\n", what);
    else
        std::printf("%-42s %7.1f ms (%5.2f ms each), cpu %7.1f ms\n", what, timing.wallMs,
                    timing.wallMs / kLookups, timing.cpuMs);
}

bool ParseFile(const std::filesystem::path& path, const CCodePage& codePage, int lines)
{
    CContentRecordMap records;
    return ParseContentListText(ReadBytes(path), codePage, records) &&
           records.Size() == static_cast<std::size_t>(lines);
}

// The conflict check's pattern on the platform-neutral code: read and parse afresh per look-up.
bool LookUpParsed(const std::filesystem::path& path, const CCodePage& codePage)
{
    for (int i = 0; i < kLookups; ++i)
    {
        CContentRecordMap records;
        ParseContentListText(ReadBytes(path), codePage, records);
        if (!records.Find(Key(i * 97 % kSmallList)))
            return false;
    }
    return true;
}

#ifdef _WIN32
bool LoadStore(const std::filesystem::path& path)
{
    CContentList list(path.string().c_str());
    std::string text;
    return list.IsValid() && list.GetText1(Key(kLargeList - 1).c_str(), text);
}

bool LookUpStore(const std::filesystem::path& path)
{
    for (int i = 0; i < kLookups; ++i)
    {
        CContentList list(path.string().c_str());
        std::string text;
        if (!list.GetText1(Key(i * 97 % kSmallList).c_str(), text))
            return false;
    }
    return true;
}
#endif

// A list of about 64 MiB (the limit), written line by line so that writing it costs no memory.
void WriteCapList(const std::filesystem::path& path)
{
    std::ofstream file(path, std::ios::binary);
    ContentRecord record{"C:\\Users\\user\\AppData\\Local\\Temp\\Low\\fetch\\part.tmp", "mirror/item", 0};
    std::size_t written = 0;
    for (int i = 0; written + 200 < kMaxContentListBytes; ++i)
    {
        const std::string line = FormatLineText(Key(i).c_str(), record);
        file.write(line.data(), static_cast<std::streamsize>(line.size()));
        written += line.size();
    }
}

// The conflict check's look-up of three keys in a list at the limit; first thing in the process, so
// that the peak's growth is what the look-up cost.
void PrintLookUpPeak(const std::filesystem::path& path)
{
    const std::vector<std::string> keys = {Key(0), Key(1000), "absent"};
    const double before = PeakMiB();
    const Clock::time_point start = Clock::now();
#ifdef _WIN32
    const std::vector<std::string> texts = ReadWantedText1(path.string(), keys);
#else
    CWantedRecords wanted(keys, SingleByteCodePage(), LineEnds::RawBytes);
    std::ifstream file(path, std::ios::binary);
    std::vector<char> chunk(1 << 16);
    while (file.read(chunk.data(), static_cast<std::streamsize>(chunk.size())) || file.gcount() > 0)
        wanted.Feed(std::string_view(chunk.data(), static_cast<std::size_t>(file.gcount())));
    const std::vector<std::string> texts = wanted.Finish();
#endif
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    std::printf("look-up of 3 keys in a %ju-byte list: %s in %.0f ms, peak memory %.1f MiB (+%.1f MiB)\n",
                static_cast<std::uintmax_t>(std::filesystem::file_size(path)),
                texts[0].empty() || texts[1].empty() ? "FAILED" : "found", ms, PeakMiB(), PeakMiB() - before);
}

void Run(const std::filesystem::path& folder)
{
    const std::filesystem::path cap = folder / "cap.lst";
    WriteCapList(cap);
    PrintLookUpPeak(cap);

    const std::filesystem::path large = folder / "large.lst";
    const std::filesystem::path small = folder / "small.lst";
    WriteBytes(large, MakeList(kLargeList));
    WriteBytes(small, MakeList(kSmallList));
    std::printf("content list of %d lines: %ju bytes\n", kLargeList,
                static_cast<std::uintmax_t>(std::filesystem::file_size(large)));

    PrintLoad("read + parse, single-byte page (best of 5)", kLargeList,
              BestOf(kRuns, [&] { return ParseFile(large, SingleByteCodePage(), kLargeList); }));
    PrintLoad("read + parse, code page 932 (best of 5)", kLargeList,
              BestOf(kRuns, [&] { return ParseFile(large, TableCodePage(932), kLargeList); }));
#ifdef _WIN32
    PrintLoad("CContentList construction (best of 5)", kLargeList,
              BestOf(kRuns, [&] { return LoadStore(large); }));
#endif
    std::printf("%d look-ups, each on a fresh list of %d lines:\n", kLookups, kSmallList);
    PrintLookups("  read + parse + find",
                 BestOf(1, [&] { return LookUpParsed(small, SingleByteCodePage()); }));
#ifdef _WIN32
    PrintLookups("  CContentList + GetText1", BestOf(1, [&] { return LookUpStore(small); }));
#endif
}
} // namespace

int main()
{
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() /
        ("da-bench-contentlist-" + std::to_string(Clock::now().time_since_epoch().count()));
    std::filesystem::create_directories(folder);
    Run(folder);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return 0;
}
