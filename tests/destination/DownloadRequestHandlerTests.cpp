#include "destination/DownloadRequestHandler.h"
#include "destination/FolderChooser.h"
#include "peerkit/DownloadRequestBuilder.h"
#include "tests/destination/ShellTestSupport.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <future>
#include <set>

namespace
{
using testfiles::CTempFolder;
using testsupport::BytesOf;
using testsupport::CParsedList;
using testsupport::CSettingsScope;

struct SentReply
{
    DWORD code;
    std::vector<std::uint8_t> data;
    bool dataNull;
};

HWND HiddenWindow(DWORD style = WS_POPUP, HWND owner = nullptr)
{
    return ::CreateWindowExA(0, "STATIC", "", style, 0, 0, 0, 0, owner, nullptr, nullptr, nullptr);
}

class CFakeLink : public IPeerLink
{
  public:
    CFakeLink() : m_hMutex(::CreateMutexA(nullptr, FALSE, nullptr)), m_hReply(HiddenWindow()) {}
    ~CFakeLink()
    {
        ::CloseHandle(m_hMutex);
        if (::IsWindow(m_hReply))
            ::DestroyWindow(m_hReply);
    }
    HWND PeerWindow() const override { return m_hPeer; }
    HWND ReplyWindow() const override { return m_hReply; }
    bool StopRequested() const override { return m_bStop; }
    HANDLE ChooserMutex() const override { return m_hMutex; }
    void SetOpenChooserDialog(HWND dialog) override { m_dialogs.push_back(dialog); }
    LRESULT SendReply(DWORD code, const void* data, DWORD size) override
    {
        auto* bytes = static_cast<const std::uint8_t*>(data);
        m_replies.push_back(
            {code, std::vector<std::uint8_t>(bytes, bytes + (data ? size : 0)), data == nullptr});
        return 0;
    }

    HANDLE m_hMutex;
    HWND m_hReply;
    HWND m_hPeer = nullptr;
    bool m_bStop = false;
    std::vector<HWND> m_dialogs;
    std::vector<SentReply> m_replies;
};

struct ShownMessage
{
    std::string text;
    std::string caption;
    UINT style;
};

// Each Browse plays the next scripted showing: the folder chosen (empty: cancelled) and what
// happens while the dialog is open.
class CFakeDesk : public IDownloadDesk
{
  public:
    struct Showing
    {
        std::string chosen;
        std::function<void()> whileOpen;
    };

    int Browse(FolderChooser& chooser) override
    {
        m_initialSelections.push_back(BytesOf(chooser.InitialSelection()));
        Showing showing = m_showings.empty() ? Showing() : m_showings.front();
        if (!m_showings.empty())
            m_showings.pop_front();
        char path[MAX_PATH] = {};
        if (chooser.InitialSelection())
            ::SHGetPathFromIDListA(chooser.InitialSelection(), path);
        m_initialPaths.push_back(path);
        return chooser.Browse([&](BROWSEINFOA&) -> LPITEMIDLIST {
            if (showing.whileOpen)
                showing.whileOpen();
            if (showing.chosen.empty())
                return nullptr;
            LPITEMIDLIST chosen = CParsedList(showing.chosen).Release();
            m_returnedLists.push_back(BytesOf(chosen));
            return chosen;
        });
    }
    int ShowMessage(HWND, const std::string& text, const std::string& caption, UINT style) override
    {
        m_messages.push_back({text, caption, style});
        int answer = m_answers.empty() ? IDOK : m_answers.front();
        if (!m_answers.empty())
            m_answers.pop_front();
        return answer;
    }
    bool IsFolderWritable(const std::string& path) override { return m_unwritable.count(path) == 0; }
    int CheckExistingFiles(HWND, const std::string&, const DownloadRequest& request,
                           std::uint32_t* resumeFlag) override
    {
        m_checkedCaptions.push_back(request.caption);
        if (m_checks.empty())
            return 0;
        int result = m_checks.front();
        m_checks.pop_front();
        *resumeFlag = 1;
        return result;
    }

    std::deque<Showing> m_showings;
    std::deque<int> m_answers;
    std::deque<int> m_checks;
    std::set<std::string> m_unwritable;
    std::vector<std::vector<BYTE>> m_initialSelections;
    // Folder lists carry timestamps that change when a folder is looked at: compare paths, or the
    // very bytes that were handed out.
    std::vector<std::string> m_initialPaths;
    std::vector<std::vector<BYTE>> m_returnedLists;
    std::vector<ShownMessage> m_messages;
    std::vector<std::string> m_checkedCaptions;
};

std::vector<std::uint8_t> Request(const std::string& caption = "Cap")
{
    peerkit::CDownloadRequestBuilder builder;
    builder.SetCaption(caption);
    builder.AddEntry("a.bin", "key-a");
    return builder.Build();
}

class DownloadRequestHandler : public ::testing::Test
{
  protected:
    void Handle(const std::vector<std::uint8_t>& payload = Request())
    {
        CDownloadRequestHandler handler(m_link, m_desk, SettingsNames{m_settings.Company(), "Product"});
        handler.Handle(payload);
    }
    std::optional<std::vector<BYTE>> StoredValue() const
    {
        BYTE bytes[1024];
        DWORD size = sizeof bytes;
        DWORD type = 0;
        if (::RegGetValueA(HKEY_CURRENT_USER, m_settings.ProductKey().c_str(), "DownloadedFilesPath",
                           RRF_RT_ANY, &type, bytes, &size) != ERROR_SUCCESS)
            return std::nullopt;
        return std::vector<BYTE>(bytes, bytes + size);
    }
    void Store(const std::vector<BYTE>& bytes, DWORD type = REG_BINARY)
    {
        ::RegSetKeyValueA(HKEY_CURRENT_USER, m_settings.ProductKey().c_str(), "DownloadedFilesPath", type,
                          bytes.data(), static_cast<DWORD>(bytes.size()));
    }

    CSettingsScope m_settings;
    CTempFolder m_folderA;
    CTempFolder m_folderB;
    CFakeLink m_link;
    CFakeDesk m_desk;
    const std::vector<BYTE> m_desktop{0, 0};
};

std::vector<std::uint8_t> Text(const std::string& text)
{
    return std::vector<std::uint8_t>(text.c_str(), text.c_str() + text.size() + 1);
}

TEST_F(DownloadRequestHandler, FirstRequestOpensOnTheDesktopAndStoresTheChosenFolder)
{
    m_desk.m_showings.push_back({m_folderA.Path(), nullptr});
    Handle();
    EXPECT_EQ(m_desk.m_initialSelections, (std::vector<std::vector<BYTE>>{m_desktop}));
    ASSERT_EQ(m_link.m_replies.size(), 2u);
    EXPECT_EQ(m_link.m_replies[0].code, 2u);
    EXPECT_EQ(m_link.m_replies[0].data, (std::vector<std::uint8_t>{0, 0, 0, 0}));
    EXPECT_EQ(m_link.m_replies[1].code, 3u);
    EXPECT_EQ(m_link.m_replies[1].data, Text(m_folderA.Path()));
    EXPECT_EQ(StoredValue(), m_desk.m_returnedLists.back());
    EXPECT_TRUE(m_desk.m_messages.empty());
}

TEST_F(DownloadRequestHandler, StoredFolderIsOfferedOnlyWhileWritable)
{
    const std::vector<BYTE> stored = CParsedList(m_folderA.Path()).Bytes();
    Store(stored);
    m_desk.m_showings.push_back({m_folderB.Path(), nullptr});
    Handle();
    m_desk.m_unwritable.insert(m_folderB.Path());
    m_desk.m_showings.push_back({m_folderA.Path(), nullptr});
    Handle();
    ASSERT_EQ(m_desk.m_initialSelections.size(), 2u);
    EXPECT_EQ(m_desk.m_initialSelections[0], stored);
    EXPECT_EQ(m_desk.m_initialSelections[1], m_desktop);
}

TEST_F(DownloadRequestHandler, MalformedStoredValueCountsAsNoStoredFolder)
{
    const std::vector<BYTE> folder = CParsedList(m_folderA.Path()).Bytes();
    std::vector<BYTE> noTerminator(folder.begin(), folder.end() - 2);
    std::vector<BYTE> countPastEnd = folder;
    countPastEnd[0] = 0xF0;
    const std::vector<std::vector<BYTE>> values = {{}, {0}, noTerminator, countPastEnd, {1, 0, 0, 0}};
    for (const std::vector<BYTE>& value : values)
    {
        Store(value);
        m_desk.m_showings.push_back({m_folderA.Path(), nullptr});
        m_desk.m_initialSelections.clear();
        Handle();
        EXPECT_EQ(m_desk.m_initialSelections, (std::vector<std::vector<BYTE>>{m_desktop})) << value.size();
    }
    Store(folder, REG_SZ);
    m_desk.m_showings.push_back({m_folderA.Path(), nullptr});
    m_desk.m_initialSelections.clear();
    Handle();
    EXPECT_EQ(m_desk.m_initialSelections, (std::vector<std::vector<BYTE>>{m_desktop}));
}

TEST_F(DownloadRequestHandler, UnwritableChoiceWarnsAndReopensOnIt)
{
    m_desk.m_unwritable.insert(m_folderB.Path());
    m_desk.m_showings = {{m_folderB.Path(), nullptr}, {m_folderA.Path(), nullptr}};
    Handle(Request("Warn"));
    ASSERT_EQ(m_desk.m_messages.size(), 1u);
    EXPECT_EQ(m_desk.m_messages[0].text, "Specify a writeable path.");
    EXPECT_EQ(m_desk.m_messages[0].caption, "Warn");
    EXPECT_EQ(m_desk.m_messages[0].style, static_cast<UINT>(MB_ICONWARNING | MB_OK));
    ASSERT_EQ(m_desk.m_initialSelections.size(), 2u);
    EXPECT_EQ(m_desk.m_initialSelections[1], m_desk.m_returnedLists[0]);
    EXPECT_EQ(m_desk.m_initialPaths[1], m_folderB.Path());
    ASSERT_EQ(m_link.m_replies.size(), 2u);
    EXPECT_EQ(m_link.m_replies[1].data, Text(m_folderA.Path()));
}

TEST_F(DownloadRequestHandler, CancelThenNoReopensCancelThenYesAbandons)
{
    HWND top = HiddenWindow(WS_OVERLAPPEDWINDOW);
    m_link.m_hPeer = HiddenWindow(WS_POPUP, top);
    m_desk.m_answers = {IDNO, IDYES};
    bool disabledWhileOpen = false;
    m_desk.m_showings = {{"", [&] { disabledWhileOpen = !::IsWindowEnabled(top); }}, {"", nullptr}};
    Handle(Request("100%s"));
    EXPECT_TRUE(disabledWhileOpen);
    ASSERT_EQ(m_desk.m_messages.size(), 2u);
    EXPECT_EQ(m_desk.m_messages[0].text, "Close 100%s?");
    EXPECT_EQ(m_desk.m_messages[0].caption, "100%s");
    EXPECT_EQ(m_desk.m_messages[0].style, static_cast<UINT>(MB_ICONWARNING | MB_YESNO));
    ASSERT_EQ(m_link.m_replies.size(), 1u);
    EXPECT_EQ(m_link.m_replies[0].code, 3u);
    EXPECT_TRUE(m_link.m_replies[0].dataNull);
    EXPECT_FALSE(StoredValue());
    EXPECT_TRUE(::IsWindowEnabled(top));
    ::DestroyWindow(m_link.m_hPeer);
    ::DestroyWindow(top);
}

TEST_F(DownloadRequestHandler, StopWhileOpenAbandonsWithoutQuestionAndLeavesTopDisabled)
{
    HWND top = HiddenWindow(WS_OVERLAPPEDWINDOW);
    m_link.m_hPeer = HiddenWindow(WS_POPUP, top);
    m_desk.m_showings = {{"", [&] { m_link.m_bStop = true; }}};
    Handle();
    EXPECT_TRUE(m_desk.m_messages.empty());
    ASSERT_EQ(m_link.m_replies.size(), 1u);
    EXPECT_EQ(m_link.m_replies[0].code, 3u);
    EXPECT_TRUE(m_link.m_replies[0].data.empty());
    EXPECT_FALSE(::IsWindowEnabled(top));
    EXPECT_EQ(m_link.m_dialogs, (std::vector<HWND>{nullptr}));
    ::DestroyWindow(m_link.m_hPeer);
    ::DestroyWindow(top);
}

TEST_F(DownloadRequestHandler, StopAfterAWritableChoiceStillAbandons)
{
    m_desk.m_showings = {{m_folderA.Path(), [&] { m_link.m_bStop = true; }}};
    Handle();
    ASSERT_EQ(m_link.m_replies.size(), 1u);
    EXPECT_TRUE(m_link.m_replies[0].data.empty());
    EXPECT_FALSE(StoredValue());
}

TEST_F(DownloadRequestHandler, AbandonedWithReplyWindowGoneSendsNothing)
{
    ::DestroyWindow(m_link.m_hReply);
    m_link.m_bStop = true;
    Handle();
    EXPECT_TRUE(m_desk.m_initialSelections.empty());
    EXPECT_TRUE(m_link.m_replies.empty());
}

TEST_F(DownloadRequestHandler, ChooserMutexIsHeldExactlyWhileTheDialogIsOpen)
{
    auto heldElsewhere = [&] {
        return std::async(std::launch::async,
                          [&] {
                              DWORD waited = ::WaitForSingleObject(m_link.m_hMutex, 0);
                              if (waited == WAIT_OBJECT_0)
                                  ::ReleaseMutex(m_link.m_hMutex);
                              return waited == WAIT_TIMEOUT;
                          })
            .get();
    };
    bool heldWhileOpen = false;
    m_desk.m_showings = {{"", [&] { heldWhileOpen = heldElsewhere(); }}};
    m_desk.m_answers = {IDYES};
    Handle();
    EXPECT_TRUE(heldWhileOpen);
    EXPECT_FALSE(heldElsewhere());
}

TEST_F(DownloadRequestHandler, ConflictCheckCanSendTheUserBackTwice)
{
    m_desk.m_checks = {1, 1, 0};
    m_desk.m_showings = {
        {m_folderA.Path(), nullptr}, {m_folderB.Path(), nullptr}, {m_folderA.Path(), nullptr}};
    Handle(Request("Checked"));
    EXPECT_EQ(m_desk.m_initialPaths,
              (std::vector<std::string>{m_desk.m_initialPaths[0], m_folderA.Path(), m_folderB.Path()}));
    EXPECT_EQ(m_desk.m_checkedCaptions, (std::vector<std::string>(3, "Checked")));
    ASSERT_EQ(m_link.m_replies.size(), 2u);
    EXPECT_EQ(m_link.m_replies[0].data, (std::vector<std::uint8_t>{1, 0, 0, 0}));
    EXPECT_EQ(m_link.m_replies[1].data, Text(m_folderA.Path()));
}

TEST_F(DownloadRequestHandler, MalformedRecordsShowNothingAndSendNothing)
{
    std::vector<std::uint8_t> wrongTag = Request();
    peerkit::PutUInt32(wrongTag, 0, 524);
    std::vector<std::uint8_t> tooManyEntries = Request();
    peerkit::PutUInt32(tooManyEntries, 4, 2);
    std::vector<std::uint8_t> unterminated = Request();
    std::fill_n(unterminated.begin() + 24, 256, static_cast<std::uint8_t>('c'));
    for (const auto& payload : {std::vector<std::uint8_t>(), wrongTag, tooManyEntries, unterminated})
        Handle(payload);
    EXPECT_TRUE(m_desk.m_initialSelections.empty());
    EXPECT_TRUE(m_link.m_replies.empty());
}

TEST(DownloadRequestHelpers, TopAncestorFollowsParentsAndOwners)
{
    HWND top = HiddenWindow(WS_OVERLAPPEDWINDOW);
    HWND popup = HiddenWindow(WS_POPUP, top);
    HWND child = HiddenWindow(WS_CHILD, popup);
    EXPECT_EQ(FindTopAncestor(child), top);
    EXPECT_EQ(FindTopAncestor(popup), top);
    EXPECT_EQ(FindTopAncestor(top), nullptr);
    EXPECT_EQ(FindTopAncestor(nullptr), nullptr);
    ::DestroyWindow(top);
}

TEST(DownloadRequestHelpers, FormatPutsTheTextInAsItIs)
{
    EXPECT_EQ(FormatWithText("Close %s?", "Kavo"), "Close Kavo?");
    EXPECT_EQ(FormatWithText("Close %s?", "%s %d"), "Close %s %d?");
    EXPECT_EQ(FormatWithText("%s を終了", "A"), "A を終了");
    EXPECT_EQ(FormatWithText("no marker", "A"), "no marker");
}
} // namespace
