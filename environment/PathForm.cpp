#include "environment/PathForm.h"

#include <cstddef>
#include <vector>

namespace
{
bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

bool IsAsciiLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

char UpperAscii(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// "\\.\", "\\?\" and "\??\", with either kind of slash.
bool HasDevicePrefix(const std::string& path)
{
    if (path.size() < 4 || !IsSeparator(path[3]))
        return false;
    if (IsSeparator(path[0]) && IsSeparator(path[1]) && (path[2] == '.' || path[2] == '?'))
        return true;
    return IsSeparator(path[0]) && path[1] == '?' && path[2] == '?';
}

bool StartsWithDrive(const std::string& path)
{
    return path.size() >= 2 && IsAsciiLetter(path[0]) && path[1] == ':';
}

// COM or LPT and one character: a digit 1 to 9, or one that widens to a superscript 1, 2 or 3
// (Windows compares the widened name, whatever the code page).
bool NamesNumberedPort(const std::string& name, const std::string& upper, const CCodePage& codePage)
{
    if (upper.compare(0, 3, "COM") != 0 && upper.compare(0, 3, "LPT") != 0)
        return false;
    if (name.size() < 4 || name.size() != 3 + codePage.CharLength(name, 3))
        return false;
    if (name[3] >= '1' && name[3] <= '9')
        return true;
    const unsigned unit = codePage.Utf16Unit(name, 3);
    return unit == 0xB9 || unit == 0xB2 || unit == 0xB3;
}

// The component's name before its first dot or colon (Windows opens "NUL:" and "COM1:y" as the
// device), without the spaces that may precede it. Neither byte is ever a trail byte.
bool NamesDosDevice(const std::string& component, const CCodePage& codePage)
{
    std::string name = component.substr(0, component.find_first_of(".:"));
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    std::string upper = name;
    for (char& c : upper)
        c = UpperAscii(c);
    static const char* const kNames[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* device : kNames)
    {
        if (upper == device)
            return true;
    }
    return NamesNumberedPort(name, upper, codePage);
}

struct Component
{
    std::string text;
    bool endsInDotOrSpace = false; // its last character, not just its last byte
};

std::vector<Component> Components(const std::string& path, const CCodePage& codePage)
{
    std::vector<Component> components(1);
    for (std::size_t pos = 0; pos < path.size();)
    {
        const std::size_t length = codePage.CharLength(path, pos);
        if (length == 1 && IsSeparator(path[pos]))
        {
            components.emplace_back();
        }
        else
        {
            components.back().text.append(path, pos, length);
            components.back().endsInDotOrSpace = length == 1 && (path[pos] == '.' || path[pos] == ' ');
        }
        pos += length;
    }
    return components;
}

// For a path that begins with two separators: "\\server\share\" with backslashes only and
// neither name empty; the share's own root is the shortest such path.
bool HasServerAndShare(const std::string& path)
{
    if (path.find('/') != std::string::npos)
        return false;
    const std::size_t share = path.find('\\', 2);
    if (share == std::string::npos || share == 2)
        return false;
    const std::size_t rest = path.find('\\', share + 1);
    return rest != std::string::npos && rest > share + 1;
}

// The colon of a leading drive letter is the only one a plain path holds; stepped by characters,
// though no code page has 0x3A as a trail byte.
bool HasStreamColon(const std::string& path, const CCodePage& codePage)
{
    const std::size_t from = StartsWithDrive(path) ? 2 : 0;
    for (std::size_t pos = 0; pos < path.size(); pos += codePage.CharLength(path, pos))
    {
        if (pos >= from && path[pos] == ':')
            return true;
    }
    return false;
}

unsigned ComponentForms(const std::vector<Component>& components, const CCodePage& codePage)
{
    unsigned forms = 0;
    long depth = 0;
    for (const Component& component : components)
    {
        if (component.text.empty())
            continue;
        if (component.text == "." || component.text == "..")
        {
            forms |= kPathDotComponent;
            if (component.text == ".." && --depth < 0)
                forms |= kPathClimbsOut;
            continue;
        }
        ++depth;
        if (NamesDosDevice(component.text, codePage))
            forms |= kPathDeviceName;
        if (component.endsInDotOrSpace)
            forms |= kPathTrailingDotOrSpace;
    }
    return forms;
}
unsigned UpperCaseCp932(unsigned character)
{
    if (character >= 0x8281 && character <= 0x829A) // full-width a to z
        return character - 0x21;
    if (character >= 0x83BF && character <= 0x83D6) // Greek small letters
        return character - 0x20;
    if (character >= 0x8470 && character <= 0x847E) // Cyrillic small letters, before the gap at 0x847F
        return character - 0x30;
    if (character >= 0x8480 && character <= 0x8491)
        return character - 0x31;
    return character;
}

// The character at pos, upper-cased; pos moves past it.
unsigned NextUpperCharacter(const std::string& text, std::size_t& pos, const CCodePage& page,
                            unsigned codePage)
{
    std::size_t length = page.CharLength(text, pos);
    unsigned character = static_cast<unsigned char>(text[pos]);
    if (length == 2)
    {
        character = (character << 8) | static_cast<unsigned char>(text[pos + 1]);
        pos += 2;
        return codePage == 932 ? UpperCaseCp932(character) : character;
    }
    ++pos;
    return character >= 'a' && character <= 'z' ? character - ('a' - 'A') : character;
}
} // namespace

unsigned ClassifyPath(const std::string& path, const CCodePage& codePage)
{
    unsigned forms = 0;
    for (char c : path)
    {
        if (static_cast<unsigned char>(c) < 0x20)
            forms |= kPathControlBytes;
    }
    const bool device = HasDevicePrefix(path);
    const bool unc = !device && path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]);
    if (device)
        forms |= kPathDevicePrefix;
    if (unc)
        forms |= kPathUnc;
    const bool driveRooted = StartsWithDrive(path) && path.size() >= 3 && path[2] == '\\';
    if (!driveRooted && !unc)
        forms |= kPathRelative;
    if (StartsWithDrive(path) || (!path.empty() && IsSeparator(path[0])))
        forms |= kPathDriveOrRoot;
    if (HasStreamColon(path, codePage))
        forms |= kPathStreamColon;
    std::vector<Component> components = Components(path, codePage);
    if (StartsWithDrive(path))
        components.front().text.erase(0, 2);
    return forms | ComponentForms(components, codePage);
}

bool IsLocalPeerPath(const std::string& path, const CCodePage& codePage)
{
    return (ClassifyPath(path, codePage) &
            (kPathUnc | kPathDevicePrefix | kPathDeviceName | kPathControlBytes | kPathRelative)) == 0;
}

bool IsNameInsideFolder(const std::string& name, const CCodePage& codePage)
{
    const unsigned refused = kPathUnc | kPathDevicePrefix | kPathDeviceName | kPathControlBytes |
                             kPathDriveOrRoot | kPathClimbsOut;
    return (ClassifyPath(name, codePage) & refused) == 0;
}

bool IsPlainPlacementPath(const std::string& path, const CCodePage& codePage, PlacementEnd end)
{
    const unsigned refused = kPathDevicePrefix | kPathDeviceName | kPathControlBytes | kPathRelative |
                             kPathDotComponent | kPathTrailingDotOrSpace | kPathStreamColon;
    const unsigned forms = ClassifyPath(path, codePage);
    if (forms & refused)
        return false;
    if (!(forms & kPathUnc))
        return true;
    return end == PlacementEnd::Destination && HasServerAndShare(path);
}

std::string VisibleText(const std::string& text)
{
    std::string visible = text;
    for (char& c : visible)
    {
        if (static_cast<unsigned char>(c) < 0x20)
            c = '?';
    }
    return visible;
}

bool SamePathIgnoringCase(const std::string& first, const std::string& second, unsigned codePage)
{
    const CCodePage& page = TableCodePage(codePage);
    std::size_t firstPos = 0;
    std::size_t secondPos = 0;
    while (firstPos < first.size() && secondPos < second.size())
    {
        if (NextUpperCharacter(first, firstPos, page, codePage) !=
            NextUpperCharacter(second, secondPos, page, codePage))
            return false;
    }
    return firstPos == first.size() && secondPos == second.size();
}
