// Command records on their way from the poll to their handler. The poll posts a token (the
// block's address) as wParam; a handler adopts only a token that the poll issued, so a stray
// or forged private message can neither free nor read a block that is not there.
#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

using CPayload = std::vector<std::uint8_t>;

class CPendingPayloads
{
  public:
    std::uintptr_t Add(std::unique_ptr<CPayload> payload);
    // The payload issued under token, now the caller's; null for a token never issued or already taken.
    std::unique_ptr<CPayload> Adopt(std::uintptr_t token);
    std::size_t Count() const noexcept { return m_pending.size(); }

  private:
    std::unordered_map<std::uintptr_t, std::unique_ptr<CPayload>> m_pending;
};
