// When the frame may read the next command: a command posted and not yet handled, or one being
// handled, keeps the next one out; a wake that took no work file, or a command whose file stayed,
// keeps the loop from waiting on RequestEvent until the next tick, so that a signal left standing
// cannot make it read the same file over and over; a file its writer still held is read again at
// the next tick without a signal. Platform-neutral, so its transitions are tested natively.
#pragma once

#include <cstdint>

class CCommandGate
{
  public:
    // A command posted and not yet handled counts as busy, as does one being handled.
    bool Busy() const noexcept { return m_handling || m_postedToken != 0; }
    // Whether the message loop may wait on RequestEvent now.
    bool LoopMayWait() const noexcept { return !Busy() && m_waitArmed; }
    // Whether the next tick reads the work file without a signal.
    bool RetryRead() const noexcept { return m_retryRead; }

    // Every idle tick arms the loop's wait again.
    void OnIdleTick() noexcept;
    // What a read of the work file found (all false when there was none to read): whether its writer
    // still held it, whether it was removed, whether a command was taken from it, and whether the
    // loop's wait (rather than a tick) started it.
    void OnRead(bool heldOpen, bool removed, bool command, bool woken) noexcept;
    // The command taken was posted with token.
    void OnPosted(std::uintptr_t token) noexcept { m_postedToken = token; }
    // True, and no longer posted, when token is the one posted: only that command is handled.
    bool TakePosted(std::uintptr_t token) noexcept;

    // Marks a handler running for its scope.
    class CHandling
    {
      public:
        explicit CHandling(CCommandGate& gate) noexcept : m_gate(gate), m_previous(gate.m_handling)
        {
            m_gate.m_handling = true;
        }
        ~CHandling() { m_gate.m_handling = m_previous; }
        CHandling(const CHandling&) = delete;
        CHandling& operator=(const CHandling&) = delete;

      private:
        CCommandGate& m_gate;
        const bool m_previous;
    };

  private:
    bool m_handling = false;
    std::uintptr_t m_postedToken = 0;
    bool m_waitArmed = true;
    bool m_retryRead = false;
};
