// The chooser's dialog callback, driven by a stand-in dialog that logs what the callback sends it.
// Under Wine the real dialog greys OK on virtual items by itself, so only this tells whether the
// chooser does.
#include "destination/FolderChooser.h"
#include "framework/Handle.h"

#include <gtest/gtest.h>

namespace
{
std::vector<std::string> g_log;

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    if (message == BFFM_ENABLEOK)
        g_log.push_back("ok:" + std::to_string(lParam));
    else if (message == BFFM_SETSTATUSTEXTA)
        g_log.push_back(std::string("status:") + reinterpret_cast<const char*>(lParam));
    else if (message == BFFM_SETSELECTIONA) // by item-id list, never by path
        g_log.push_back(wParam == FALSE ? "select:list" : "select:path");
    else
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    return 0;
}

TEST(FolderChooser, SelectsTheInitialListGreysOkForNoFileSystemFolderAndTellsTheObserver)
{
    g_log.clear();
    CWindowHandle dialog(
        ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr));
    ::SetWindowLongPtrA(dialog.Get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordingProc));
    LPITEMIDLIST computer = nullptr;
    ASSERT_TRUE(SUCCEEDED(::SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer)));
    FolderChooser chooser(nullptr, nullptr, computer, "t", BIF_RETURNONLYFSDIRS);
    chooser.SetOption(FolderChooser::kAlertBox, nullptr);
    std::vector<HWND> seen;
    chooser.SetDialogObserver([&](HWND window) { seen.push_back(window); });
    EXPECT_EQ(chooser.Browse([&](BROWSEINFOA& info) -> LPITEMIDLIST {
        info.lpfn(dialog.Get(), BFFM_INITIALIZED, 0, info.lParam);
        info.lpfn(dialog.Get(), BFFM_SELCHANGED, reinterpret_cast<LPARAM>(computer), info.lParam);
        return nullptr;
    }),
              IDCANCEL);
    ::CoTaskMemFree(computer);
    EXPECT_EQ(g_log, (std::vector<std::string>{"select:list", "ok:0", "status:"}));
    EXPECT_EQ(seen, (std::vector<HWND>{dialog.Get(), nullptr})); // the dialog, then that it has closed
}
} // namespace
