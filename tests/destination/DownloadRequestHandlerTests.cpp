// Command 2 through the handler with a scripted desk, for what a peer driving the real dialog
// reaches poorly: the stored folder's bytes and a stop that comes with a choice.
#include "destination/DownloadRequestHandler.h"
#include "destination/FolderChooser.h"
#include "peerkit/DownloadRequestBuilder.h"
#include "tests/support/FakePeerLink.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <tuple>

namespace
{
using Bytes = std::vector<BYTE>;

Bytes BytesOf(LPCITEMIDLIST list)
{
    const BYTE* bytes = reinterpret_cast<const BYTE*>(list);
    return list ? Bytes(bytes, bytes + ::ILGetSize(list)) : Bytes();
}

// A folder's list, taken once (it carries timestamps that change when the folder is looked at), and
// its path as the shell spells it: the temporary folder's may have short names, the shell's never.
struct ShellFolder
{
    Bytes list;
    std::string path;
};

ShellFolder Parse(const std::string& path)
{
    wchar_t wide[MAX_PATH] = {};
    ::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    PIDLIST_ABSOLUTE list = nullptr;
    char shellPath[MAX_PATH] = {};
    if (FAILED(::SHParseDisplayName(wide, nullptr, &list, 0, nullptr)) ||
        !::SHGetPathFromIDListA(list, shellPath))
        return {};
    ShellFolder folder{BytesOf(list), shellPath};
    ::CoTaskMemFree(list);
    return folder;
}

// Each Browse chooses the next list (none: cancels) and sets the stop flag as told while open.
class CFakeDesk : public IDownloadDesk
{
  public:
    explicit CFakeDesk(bool& stop) : m_stop(stop) {}
    int Browse(FolderChooser& chooser) override
    {
        m_initial.push_back(BytesOf(chooser.InitialSelection()));
        const Bytes chosen = m_chosen.empty() ? Bytes() : m_chosen.front();
        if (!m_chosen.empty())
            m_chosen.pop_front();
        return chooser.Browse([&](BROWSEINFOA&) -> LPITEMIDLIST {
            m_stop = m_bStopWhileOpen;
            void* list = chosen.empty() ? nullptr : ::CoTaskMemAlloc(chosen.size());
            return list ? static_cast<LPITEMIDLIST>(std::memcpy(list, chosen.data(), chosen.size()))
                        : nullptr;
        });
    }
    int ShowMessage(HWND, const std::string&, const std::string&, UINT) override { return IDOK; }
    bool IsFolderWritable(const std::string& path) override { return path != m_unwritable; }
    int CheckExistingFiles(HWND, const std::string&, const DownloadRequest&,
                           std::uint32_t* resumeFlag) override
    {
        *resumeFlag = 1;
        m_stop = m_stop || m_bStopWhileAsking;
        return 0;
    }

    bool& m_stop;
    bool m_bStopWhileOpen = false;
    bool m_bStopWhileAsking = false;
    std::deque<Bytes> m_chosen;
    std::string m_unwritable;
    std::vector<Bytes> m_initial;
};

class DownloadRequestHandler : public ::testing::Test
{
  protected:
    void SetUp() override { ASSERT_GT(m_a.list.size(), 4u) << "no list for " << m_folderA.Path(); }
    DownloadOutcome Handle()
    {
        peerkit::CDownloadRequestBuilder builder;
        builder.AddEntry("a.bin", "key-a");
        return CDownloadRequestHandler(m_link, m_desk, SettingsNames{m_company, "Product"})
            .Handle(builder.Build());
    }
    Bytes StoredValue() const
    {
        BYTE bytes[1024];
        DWORD size = sizeof bytes;
        LSTATUS status =
            ::RegGetValueA(HKEY_CURRENT_USER, m_key.c_str(), kValue, RRF_RT_ANY, nullptr, bytes, &size);
        return status == ERROR_SUCCESS ? Bytes(bytes, bytes + size) : Bytes();
    }
    void Store(const Bytes& bytes, DWORD type = REG_BINARY)
    {
        ::RegSetKeyValueA(HKEY_CURRENT_USER, m_key.c_str(), kValue, type, bytes.data(),
                          static_cast<DWORD>(bytes.size()));
    }

    static constexpr const char* kValue = "DownloadedFilesPath";
    const std::string m_company = testfiles::UniqueName("company");
    const std::string m_key = "Software\\" + m_company + "\\Product";
    testfiles::CRegistryScope m_settings{"Software\\" + m_company};
    testfiles::CTempFolder m_folderA, m_folderB;
    const ShellFolder m_a = Parse(m_folderA.Path()), m_b = Parse(m_folderB.Path());
    const Bytes m_desktop{0, 0};
    testfiles::CFakePeerLink m_link;
    CFakeDesk m_desk{m_link.m_bStop};
};

TEST_F(DownloadRequestHandler, MalformedStoredValueCountsAsNoStoredFolder)
{
    Bytes countPastEnd = m_a.list; // the first item claims one byte more than the whole value holds
    countPastEnd[0] = static_cast<BYTE>(m_a.list.size() + 1);
    countPastEnd[1] = static_cast<BYTE>((m_a.list.size() + 1) >> 8);
    const std::tuple<const char*, Bytes, DWORD> rows[] = {
        {"empty", {}, REG_BINARY},
        {"a lone byte", {0}, REG_BINARY},
        {"an item count below two", {1, 0, 0, 0}, REG_BINARY},
        {"a count past the end", countPastEnd, REG_BINARY},
        {"no terminator", Bytes(m_a.list.begin(), m_a.list.end() - 2), REG_BINARY},
        {"a whole list, not binary", m_a.list, REG_SZ},
    };
    for (const auto& [name, value, type] : rows)
    {
        Store(value, type);
        m_desk.m_initial.clear();
        Handle(); // cancelled and closed
        EXPECT_EQ(m_desk.m_initial, std::vector<Bytes>{m_desktop}) << name;
    }
}

// A stop while the dialog is open abandons; one during the overwrite question still answers with
// the folder, which is remembered, but gives no consent to place files in it.
TEST_F(DownloadRequestHandler, OutcomeOfAChoiceUnderAStop)
{
    using Kind = DownloadOutcome::Kind;
    struct Row
    {
        const char* name;
        bool stopWhileOpen, stopWhileAsking;
        Kind kind;
        bool consent, stored;
    };
    const Row rows[] = {
        {"no stop", false, false, Kind::Accepted, true, true},
        {"a stop while the dialog is open", true, false, Kind::Abandoned, false, false},
        {"a stop during the question", false, true, Kind::Accepted, false, true},
    };
    for (const Row& row : rows)
    {
        ::RegDeleteKeyValueA(HKEY_CURRENT_USER, m_key.c_str(), kValue);
        m_link.m_bStop = false;
        m_desk.m_bStopWhileOpen = row.stopWhileOpen;
        m_desk.m_bStopWhileAsking = row.stopWhileAsking;
        m_desk.m_chosen = {m_a.list};
        const DownloadOutcome outcome = Handle();
        EXPECT_EQ(outcome.kind, row.kind) << row.name;
        EXPECT_EQ(outcome.consent.has_value(), row.consent) << row.name;
        EXPECT_EQ(StoredValue(), row.stored ? m_a.list : Bytes()) << row.name;
        if (row.kind == Kind::Accepted)
        {
            EXPECT_EQ(outcome.folder, m_a.path) << row.name;
            EXPECT_EQ(outcome.resumeFlag, 1u) << row.name;
        }
    }
}
} // namespace
