#include "peer/PendingPayloads.h"

std::uintptr_t CPendingPayloads::Add(std::unique_ptr<CPayload> payload)
{
    auto token = reinterpret_cast<std::uintptr_t>(payload.get());
    m_pending[token] = std::move(payload);
    return token;
}

std::unique_ptr<CPayload> CPendingPayloads::Adopt(std::uintptr_t token)
{
    auto found = m_pending.find(token);
    if (found == m_pending.end())
        return nullptr;
    std::unique_ptr<CPayload> payload = std::move(found->second);
    m_pending.erase(found);
    return payload;
}
