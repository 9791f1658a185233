// The frame's side of a running folder dialog, for command-handler tests.
#pragma once

#include "peer/PeerLink.h"

namespace testfiles
{
class CFakePeerLink final : public IPeerLink
{
  public:
    HWND PeerWindow() const override { return nullptr; }
    bool StopRequested() const override { return m_bStop; }
    HANDLE ChooserMutex() const override { return nullptr; }
    void SetOpenChooserDialog(HWND) override {}

    bool m_bStop = false;
};
} // namespace testfiles
