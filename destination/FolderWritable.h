// The writability probe: a folder counts as writable exactly when a new file can be created in it.
#pragma once

// 1 when a new file could be created (and was removed again) in the folder, else 0; 0 for null.
int IsFolderWritable(const char* path) noexcept;
