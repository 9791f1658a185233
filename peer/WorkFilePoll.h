// Taking RequestEvent's signal and reading the waiting work file from the work folder.
#pragma once

#include "peer/WorkFile.h"

#include <optional>
#include <string>

// True when RequestEvent exists and was signalled; the signal is consumed.
bool TakeRequestSignal();

// Reads, decodes and (unless it holds no command) deletes workFolder + "dlcwork.tmp".
// Nothing when there is no such file. workFolder ends in a backslash.
std::optional<DecodedWorkFile> ReadWorkFile(const std::string& workFolder);
