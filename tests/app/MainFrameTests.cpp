// A frame whose timer cannot be made must fail its start rather than live on without ever polling.
#include "app/MainFrame.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

namespace
{
class CTimerlessFrame : public CMainFrame
{
  public:
    explicit CTimerlessFrame(bool& destroyed) : m_destroyed(destroyed) {}
    ~CTimerlessFrame() override { m_destroyed = true; }

  protected:
    UINT_PTR StartTimer() override { return 0; }

  private:
    bool& m_destroyed;
};

TEST(MainFrame, FailingTimerFailsTheStartAndDeletesTheFrame)
{
    bool destroyed = false;
    auto* frame = new CTimerlessFrame(destroyed);
    EXPECT_FALSE(frame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW, nullptr, nullptr));
    EXPECT_TRUE(destroyed); // the half-made window went, and the frame with it once its watchdog ended
}
} // namespace
