#include "destination/FolderChooser.h"
#include "tests/destination/ShellTestSupport.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace
{
using testfiles::CTempFolder;
using testsupport::CParsedList;

struct SentMessage
{
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    std::string text; // BFFM_SETSTATUSTEXTA's text
};

// Stands in for the dialog window: records what the chooser's callback sends it.
class CRecordingWindow
{
  public:
    CRecordingWindow()
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = &CRecordingWindow::WindowProc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "DaRecordingWindow";
        ::RegisterClassA(&wc);
        m_hWnd = ::CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                   wc.hInstance, nullptr);
        ::SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~CRecordingWindow() { ::DestroyWindow(m_hWnd); }

    HWND m_hWnd = nullptr;
    std::vector<SentMessage> m_messages;

  private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept
    {
        auto* self = reinterpret_cast<CRecordingWindow*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        bool recorded = message == BFFM_SETSTATUSTEXTA || message == BFFM_ENABLEOK ||
                        message == BFFM_SETSELECTIONA || message == WM_CANCELMODE;
        if (self && recorded)
        {
            std::string text = message == BFFM_SETSTATUSTEXTA ? reinterpret_cast<const char*>(lParam) : "";
            self->m_messages.push_back({message, wParam, lParam, text});
            return 0;
        }
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    }
};

// A dialog that initialises, reports one selection change to the callback and returns result.
FolderChooser::DialogFunction FakeDialog(HWND window, LPCITEMIDLIST selected, LPITEMIDLIST result)
{
    return [=](BROWSEINFOA& info) {
        info.lpfn(window, BFFM_INITIALIZED, 0, info.lParam);
        if (selected)
            info.lpfn(window, BFFM_SELCHANGED, reinterpret_cast<LPARAM>(selected), info.lParam);
        return result;
    };
}

TEST(FolderChooser, OptionsSetTheirBitsAndStatusTextOnly)
{
    struct Case
    {
        DWORD option;
        const char* text;
        DWORD options;
        UINT flags;
    };
    const UINT base = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    const Case cases[] = {
        {1, nullptr, 1, base},
        {1, "refused", 1, base | BIF_STATUSTEXT},
        {2, nullptr, 2, base | BIF_STATUSTEXT},
        {8, nullptr, 8, base},
        {4, "text", 0, base},
        {0, nullptr, 0, base},
        {16, nullptr, 0, base},
        {3, nullptr, 0, base},
    };
    for (const Case& c : cases)
    {
        FolderChooser chooser(nullptr, nullptr, nullptr, "title", base);
        chooser.SetOption(c.option, c.text);
        EXPECT_EQ(chooser.Options(), c.options) << c.option;
        EXPECT_EQ(chooser.Info().ulFlags, c.flags) << c.option;
        EXPECT_STREQ(chooser.Info().lpszTitle, "title");
        EXPECT_EQ(chooser.Info().pszDisplayName, nullptr);
    }
}

TEST(FolderChooser, BrowseReportsChoiceOrCancelAndTellsTheObserver)
{
    CTempFolder folder;
    CRecordingWindow dialog;
    FolderChooser chooser(nullptr, nullptr, nullptr, "t", BIF_RETURNONLYFSDIRS);
    std::vector<HWND> seen;
    chooser.SetDialogObserver([&](HWND window) { seen.push_back(window); });

    EXPECT_EQ(chooser.Browse(FakeDialog(dialog.m_hWnd, nullptr, CParsedList(folder.Path()).Release())), IDOK);
    EXPECT_EQ(chooser.GetSelectedPath(), folder.Path());
    EXPECT_EQ(seen, (std::vector<HWND>{dialog.m_hWnd, nullptr}));

    EXPECT_EQ(chooser.Browse(FakeDialog(dialog.m_hWnd, nullptr, nullptr)), IDCANCEL);
    EXPECT_EQ(chooser.Result(), nullptr);
    EXPECT_EQ(chooser.GetSelectedPath(), "");
}

TEST(FolderChooser, InitialisationSelectsTheInitialListByItemIdList)
{
    CTempFolder folder;
    CParsedList initial(folder.Path());
    CRecordingWindow dialog;
    FolderChooser chooser(nullptr, nullptr, initial.Get(), "t", 0);
    chooser.Browse(FakeDialog(dialog.m_hWnd, nullptr, nullptr));
    ASSERT_EQ(dialog.m_messages.size(), 1u);
    EXPECT_EQ(dialog.m_messages[0].message, static_cast<UINT>(BFFM_SETSELECTIONA));
    EXPECT_EQ(dialog.m_messages[0].wParam, static_cast<WPARAM>(FALSE));
    EXPECT_EQ(dialog.m_messages[0].lParam, reinterpret_cast<LPARAM>(initial.Get()));

    CRecordingWindow again;
    chooser.SetInitialSelection(nullptr);
    chooser.Browse(FakeDialog(again.m_hWnd, nullptr, nullptr));
    EXPECT_TRUE(again.m_messages.empty());
}

TEST(FolderChooser, SelectionOfNoFileSystemFolderGreysOk)
{
    LPITEMIDLIST computer = nullptr;
    ASSERT_TRUE(SUCCEEDED(::SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer)));
    CRecordingWindow dialog;
    FolderChooser chooser(nullptr, nullptr, nullptr, "t", 0);
    chooser.SetOption(FolderChooser::kAlertBox, nullptr);
    chooser.Browse(FakeDialog(dialog.m_hWnd, computer, nullptr));
    ::CoTaskMemFree(computer);
    ASSERT_EQ(dialog.m_messages.size(), 2u);
    EXPECT_EQ(dialog.m_messages[0].message, static_cast<UINT>(BFFM_ENABLEOK));
    EXPECT_EQ(dialog.m_messages[0].lParam, 0);
    EXPECT_EQ(dialog.m_messages[1].message, static_cast<UINT>(BFFM_SETSTATUSTEXTA));
    EXPECT_EQ(dialog.m_messages[1].text, "");
}

TEST(FolderChooser, AlertBoxAloneSendsNothingForAFileSystemFolder)
{
    CParsedList unwritable("R:\\");
    ASSERT_NE(unwritable.Get(), nullptr) << "test drive R: is not mapped";
    CRecordingWindow dialog;
    FolderChooser chooser(nullptr, nullptr, nullptr, "t", 0);
    chooser.SetOption(FolderChooser::kAlertBox, nullptr);
    chooser.Browse(FakeDialog(dialog.m_hWnd, unwritable.Get(), nullptr));
    EXPECT_TRUE(dialog.m_messages.empty());
}

TEST(FolderChooser, ShowPathAndVerifyWritableReportInTheStatusText)
{
    CTempFolder writable;
    CParsedList writableList(writable.Path());
    CParsedList unwritable("R:\\");
    ASSERT_NE(unwritable.Get(), nullptr) << "test drive R: is not mapped";
    FolderChooser chooser(nullptr, nullptr, nullptr, "t", 0);
    chooser.SetOption(FolderChooser::kShowPath, nullptr);
    chooser.SetOption(FolderChooser::kVerifyWritable, "refused");

    CRecordingWindow first;
    chooser.Browse(FakeDialog(first.m_hWnd, writableList.Get(), nullptr));
    ASSERT_EQ(first.m_messages.size(), 3u);
    EXPECT_EQ(first.m_messages[0].text, writable.Path());
    EXPECT_EQ(first.m_messages[1].message, static_cast<UINT>(BFFM_ENABLEOK));
    EXPECT_EQ(first.m_messages[1].lParam, 1);
    EXPECT_EQ(first.m_messages[2].text, "");
    EXPECT_TRUE(writable.Names().empty());

    CRecordingWindow second;
    chooser.Browse(FakeDialog(second.m_hWnd, unwritable.Get(), nullptr));
    ASSERT_EQ(second.m_messages.size(), 3u);
    EXPECT_EQ(second.m_messages[0].text, "R:\\");
    EXPECT_EQ(second.m_messages[1].lParam, 0);
    EXPECT_EQ(second.m_messages[2].text, "refused");
}

// What the message box looked like while it was open.
struct BoxObservation
{
    std::string text;
    std::string caption;
    bool ownerEnabled = true;
};

TEST(FolderChooser, VerifyWritableWithAlertBoxShowsTheRefusalInAMessageBox)
{
    CParsedList unwritable("R:\\");
    ASSERT_NE(unwritable.Get(), nullptr) << "test drive R: is not mapped";
    CRecordingWindow dialog;
    FolderChooser chooser(nullptr, nullptr, nullptr, "t", 0);
    chooser.SetOption(FolderChooser::kVerifyWritable, "refused");
    chooser.SetOption(FolderChooser::kAlertBox, nullptr);

    BoxObservation seen;
    std::atomic<bool> answered{false};
    DWORD uiThread = ::GetCurrentThreadId();
    // Answers the box that the UI thread shows, with OK.
    std::thread answerer([&] {
        for (int i = 0; i < 500 && !answered; ++i, ::Sleep(20))
        {
            HWND box = ::FindWindowA("#32770", nullptr);
            if (!box || ::GetWindowThreadProcessId(box, nullptr) != uiThread || !::IsWindowVisible(box))
                continue;
            // The box may be found before its text is in place.
            char text[256] = {};
            if (!::GetDlgItemTextA(box, 0xFFFF, text, sizeof text))
                continue;
            seen.text = text;
            ::GetWindowTextA(box, text, sizeof text);
            seen.caption = text;
            seen.ownerEnabled = ::IsWindowEnabled(dialog.m_hWnd) != FALSE;
            ::PostMessageA(box, WM_COMMAND, IDOK, 0);
            answered = true;
        }
    });
    chooser.Browse(FakeDialog(dialog.m_hWnd, unwritable.Get(), nullptr));
    answered = true;
    answerer.join();

    EXPECT_EQ(seen.text, "refused");
    EXPECT_EQ(seen.caption, "KavoDownloadAssistant");
    EXPECT_FALSE(seen.ownerEnabled);
    EXPECT_TRUE(::IsWindowEnabled(dialog.m_hWnd));
    // Disabling the window sends WM_CANCELMODE of its own between the chooser's two.
    std::vector<UINT> order;
    for (const SentMessage& m : dialog.m_messages)
        order.push_back(m.message);
    ASSERT_GE(order.size(), 4u);
    EXPECT_EQ(order[0], static_cast<UINT>(BFFM_ENABLEOK));
    EXPECT_EQ(order[1], static_cast<UINT>(BFFM_SETSTATUSTEXTA));
    EXPECT_EQ(dialog.m_messages[1].text, "");
    for (size_t i = 2; i < order.size(); ++i)
        EXPECT_EQ(order[i], static_cast<UINT>(WM_CANCELMODE));
}
} // namespace
