// The lines of dlcpeer check, one per claim, and the count of failures.
#pragma once

#include <cstdio>
#include <string>

namespace peerkit
{
class CCheckReport
{
  public:
    static constexpr const char* kPass = "PASS                ";
    static constexpr const char* kFail = "FAIL                ";
    static constexpr const char* kNotHere = "not checkable here  ";

    void Pass(const std::string& claim, const std::string& detail = "") { Line(kPass, claim, detail); }
    void Fail(const std::string& claim, const std::string& why)
    {
        ++m_failures;
        Line(kFail, claim, why);
    }
    void NotHere(const std::string& claim, const std::string& why) { Line(kNotHere, claim, why); }
    // Another process's report, line by line, its failures counted with ours.
    void Relay(const std::string& lines)
    {
        std::fputs(lines.c_str(), stdout);
        std::fflush(stdout);
        for (std::size_t at = 0; at < lines.size();)
        {
            if (lines.compare(at, std::char_traits<char>::length(kFail), kFail) == 0)
                ++m_failures;
            const std::size_t end = lines.find('\n', at);
            if (end == std::string::npos)
                break;
            at = end + 1;
        }
    }
    void Verdict(bool passed, const std::string& claim, const std::string& why)
    {
        if (passed)
            Pass(claim);
        else
            Fail(claim, why);
    }

    int Failures() const { return m_failures; }

  private:
    static void Line(const char* verdict, const std::string& claim, const std::string& detail)
    {
        std::printf("%s%s%s%s\n", verdict, claim.c_str(), detail.empty() ? "" : ": ", detail.c_str());
        std::fflush(stdout);
    }

    int m_failures = 0;
};
} // namespace peerkit
