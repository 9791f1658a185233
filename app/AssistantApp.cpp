#include "app/AssistantApp.h"

#include "app/MainFrame.h"
#include "framework/Exceptions.h"
#include "framework/StringResource.h"
#include "resources/resource.h"

namespace
{
constexpr DWORD FWS_ADDTOTITLE = 0x00008000;
}

BOOL CAssistantApp::InitInstance()
{
    CWinApp::InitInstance();
    CMainFrame* frame = nullptr;
    try
    {
        frame = new CMainFrame(SettingsNames{GetCompanyName(), GetProductName()});
        m_pMainWnd = frame;
        if (!frame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, nullptr, nullptr))
            throw CUserException();
        ::ShowWindow(frame->m_hWnd, SW_HIDE);
        return TRUE;
    }
    catch (...)
    {
        // A frame whose window was made and destroyed has deleted itself; one that never got a
        // window is still ours.
        if (frame && m_pMainWnd == frame)
            delete frame;
        m_pMainWnd = nullptr;
        return FALSE;
    }
}

std::string CAssistantApp::GetCompanyName()
{
    if (m_strCompanyName.empty())
        m_strCompanyName = AfxLoadString(IDS_COMPANY_NAME);
    return m_strCompanyName;
}

std::string CAssistantApp::GetProductName()
{
    if (m_strProductName.empty())
        m_strProductName = AfxLoadString(IDS_PRODUCT_NAME);
    return m_strProductName;
}
