// The application object: creates the hidden frame and hands out the names of the settings key.
#pragma once

#include "framework/WinApp.h"

#include <string>

class CAssistantApp : public CWinApp
{
  public:
    BOOL InitInstance() override;

    // Loaded from the string table on first use; empty when the string is missing.
    std::string GetCompanyName();
    std::string GetProductName();

  private:
    std::string m_strCompanyName;
    std::string m_strProductName;
};
