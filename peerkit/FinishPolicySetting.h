// The assistant's placement policy, FinishPolicy, as administrators and tests set it: a REG_DWORD
// under the user's settings key, which a value under the machine's policy key overrides.
#pragma once

#include <windows.h>

#include <optional>

namespace peerkit
{
// Where the value lives, below HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE respectively.
constexpr const char* kUserSettingsKey = "Software\\Brisel Co.,Ltd.\\Kavo Downloader";
constexpr const char* kMachinePolicyKey = "Software\\Policies\\Brisel Co.,Ltd.\\Kavo Downloader";
constexpr const char* kFinishPolicyValue = "FinishPolicy";

// Writes the user's value (creating the key); false with the registry's error as last error.
bool WriteUserFinishPolicy(DWORD level);

// The value below root as stored: empty when missing or not a REG_DWORD.
std::optional<DWORD> ReadFinishPolicyUnder(HKEY root);

// The level the assistant applies: the machine's value when present, else the user's; 1 and 2
// stand, anything else means 0.
DWORD EffectiveFinishPolicy();
} // namespace peerkit
