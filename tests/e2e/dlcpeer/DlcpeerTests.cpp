// dlcpeer's exit codes and messages, each a separate run of the tool beside this test.
#include "framework/Handle.h"
#include "peerkit/FinishPolicySetting.h"
#include "peerkit/PeerSession.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
struct ToolRun
{
    DWORD exitCode = 0;
    std::string output; // standard output and error together
};

// Runs dlcpeer with arguments, reading what it prints until it ends.
ToolRun RunDlcpeer(const std::string& arguments)
{
    std::string exe = peerkit::CPeerSession::DefaultAssistantPath();
    exe.replace(exe.find_last_of('\\') + 1, std::string::npos, "dlcpeer.exe");
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    CHandle readEnd;
    CHandle writeEnd;
    if (!::CreatePipe(readEnd.Put(), writeEnd.Put(), &inherit, 0))
        return {~0u, "cannot create a pipe"};
    ::SetHandleInformation(readEnd.Get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = writeEnd.Get();
    PROCESS_INFORMATION started = {};
    std::string commandLine = "\"" + exe + "\" " + arguments;
    if (!::CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                          &started))
        return {~0u, "cannot start " + exe};
    CHandle process(started.hProcess);
    CHandle thread(started.hThread);
    writeEnd.Reset();
    ToolRun run;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(readEnd.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
        run.output.append(buffer, read);
    ::WaitForSingleObject(process.Get(), 60000);
    ::GetExitCodeProcess(process.Get(), &run.exitCode);
    return run;
}

TEST(Dlcpeer, ExitCodesAndMessages)
{
    testfiles::CTempFolder folder("dlcpeer");
    testfiles::CRegistryScope settings(peerkit::kUserSettingsKey);
    ASSERT_TRUE(testfiles::WriteBytes(folder.File("fetched.bin"), "fetched"));
    const std::string placed = " \"" + folder.File("placed.bin") + "\"";
    struct
    {
        std::string arguments;
        DWORD exitCode;
        const char* said;
    } const rows[] = {
        {"--version", 0, "dlcpeer 1.1.2.4"},
        {"finish only-one-path", 2, "finish takes SOURCE DESTINATION; 1 given"},
        {"--exe \"" + folder.File("none.exe") + "\" attach", 1, "no assistant at"},
        {"finish \"" + folder.File("missing.bin") + "\"" + placed, 3, "Windows error 2 "},
        {"finish \"" + folder.File("fetched.bin") + "\"" + placed, 0, "reply 4, 4 data bytes, value 0"},
        {"policy 2", 0, "Kavo Downloader\\FinishPolicy: 2"},
        {"policy", 0, "level in force: 2"},
    };
    for (const auto& row : rows)
    {
        ToolRun run = RunDlcpeer(row.arguments);
        EXPECT_EQ(run.exitCode, row.exitCode) << row.arguments << "\n" << run.output;
        EXPECT_NE(run.output.find(row.said), std::string::npos) << row.arguments << "\n" << run.output;
    }
}

// Under Wine, check passes what Wine can show and says of the rest that it cannot be checked here:
// no PASS for integrity labels, the foreground lock or a low-integrity peer.
TEST(Dlcpeer, CheckPassesOnlyWhatWineCanShow)
{
    ToolRun run = RunDlcpeer("check");
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    const std::string pass = "PASS                ", notHere = "not checkable here  ";
    struct
    {
        const std::string& verdict;
        const char* claim;
    } const rows[] = {
        {pass, "the work folder "},
        {notHere, "low-integrity peers can write in the work folder: Wine has no integrity levels"},
        {pass, "every import of "},
        {pass, "the assistant starts and answers command 1"},
        {notHere, "the folder dialog comes to the front: Wine has no foreground lock"},
        {pass, "command 3 places a fetched file in the folder chosen"},
        {pass, "a placed file has the DACL of a file created in its folder"},
        {notHere, "a placed file carries no low label: Wine has no integrity levels"},
        {pass, "the assistant ends with exit code 0 at QuitEvent"},
        {notHere, "a low-integrity peer drives the assistant: Wine has no integrity levels"},
    };
    const std::string lines = "\n" + run.output;
    for (const auto& row : rows)
        EXPECT_NE(lines.find("\n" + row.verdict + row.claim), std::string::npos) << row.claim << "\n" << run.output;
    EXPECT_EQ(run.output.find("FAIL"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("\n0 failed"), std::string::npos) << run.output;
}
} // namespace
