// The forms a path from another process can take that reach something other than a plain file of
// a local folder: the network, a device, a stream, or a place outside a given folder. One
// classifier serves every check of the peer's paths. Platform-neutral, so it is tested natively.
#pragma once

#include "framework/CodePage.h"

#include <string>

enum PathForm : unsigned
{
    kPathUnc = 1u << 0,          // \\server\share\... (or with forward slashes)
    kPathDevicePrefix = 1u << 1, // \\.\, \\?\ or \??\ (either slash)
    kPathDeviceName = 1u << 2,   // a component that names a DOS device: CON, COM1, NUL.txt, NUL:, ...
    kPathControlBytes = 1u << 3, // a byte below 0x20
    kPathRelative = 1u << 4,     // starts neither with a drive letter, a colon and a backslash, nor as UNC
    kPathDriveOrRoot = 1u << 5,  // begins with a drive letter and a colon, or with a backslash or slash
    kPathDotComponent = 1u << 6, // a component "." or ".."
    kPathClimbsOut = 1u << 7,    // its ".." components lead above where it starts
    kPathTrailingDotOrSpace = 1u << 8, // a component (other than "." and "..") ends in a dot or a space
    kPathStreamColon = 1u << 9,        // a colon anywhere but right after a leading drive letter
};

// Every form path takes, as a set of PathForm bits. Components are split at backslashes and
// slashes, stepping over double-byte characters of codePage whole.
unsigned ClassifyPath(const std::string& path, const CCodePage& codePage);

// A path the peer names for the assistant to open, read or test on its own (the content list, a
// recorded temporary file): absolute on a drive ("C:\..."), with no device and no control byte.
// Whether that drive is a network drive only the system can tell.
bool IsLocalPeerPath(const std::string& path, const CCodePage& codePage);

// A file name the peer names below a folder the user chose: a local path that also stays inside it.
bool IsNameInsideFolder(const std::string& name, const CCodePage& codePage);

// Which end of a placement a path names: a source may not lie on the network.
enum class PlacementEnd
{
    Source,
    Destination,
};

// A path the stricter placement policies accept for command 3: absolute on a drive ("C:\...") or,
// for a destination, on a share ("\\server\share\..."), with no device, stream, dot component,
// control byte or component that ends in a dot or a space.
bool IsPlainPlacementPath(const std::string& path, const CCodePage& codePage, PlacementEnd end);

// text with every byte below 0x20 shown as '?', so that a peer's text cannot lay out lines of its
// own in a question. Such a byte is never part of a double-byte character.
std::string VisibleText(const std::string& text);

// The multibyte case-insensitive comparison of two paths in the given ANSI code page: characters
// are taken whole, single-byte letters compare without regard to case, and cp932's full-width
// Latin, Greek and Cyrillic letters compare after upper-casing. Every other double-byte
// character must match byte for byte, so a trail byte in the range of ASCII letters is never
// case-folded. Nothing else is normalised.
bool SamePathIgnoringCase(const std::string& first, const std::string& second, unsigned codePage);
