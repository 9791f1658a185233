// A peer's path under the classifier, in a single-byte and a double-byte page: what the checks
// accept must have the form they promise.
#include "environment/PathForm.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const CCodePage& page = TableCodePage(data[0] & 1 ? 932 : 1252);
    const std::string path(reinterpret_cast<const char*>(data) + 1, size - 1);
    const unsigned forms = ClassifyPath(path, page);
    const bool driveAbsolute = path.size() >= 3 && path[1] == ':' && path[2] == '\\';
    if (IsLocalPeerPath(path, page) && (!driveAbsolute || (forms & kPathControlBytes)))
        __builtin_trap();
    if (IsNameInsideFolder(path, page) && (forms & (kPathDriveOrRoot | kPathClimbsOut | kPathDeviceName)))
        __builtin_trap();
    if (IsPlainPlacementPath(path, page, PlacementEnd::Source) && !IsLocalPeerPath(path, page))
        __builtin_trap();
    return 0;
}
