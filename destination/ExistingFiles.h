// The check for files of the request that already exist, before a folder is accepted.
#pragma once

#include "destination/DownloadRequest.h"

#include <cstdint>
#include <string>

// 0 accepts the folder at path, 1 makes the user choose another; may set *resumeFlag to 0 or 1.
int CheckExistingFiles(const std::string& path, const DownloadRequest& request, std::uint32_t* resumeFlag);
