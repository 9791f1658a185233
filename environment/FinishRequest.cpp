#include "environment/FinishRequest.h"

#include "framework/CodePage.h"
#include "peer/Protocol.h"

#include <cstring>
#include <optional>
#include <utility>

namespace
{
constexpr std::size_t kSourceOffset = 4;
constexpr std::size_t kDestinationOffset = kSourceOffset + kFinishPathField;

std::uint32_t ReadSizeTag(const std::uint8_t* bytes)
{
    return static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
           (static_cast<std::uint32_t>(bytes[2]) << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
}

// The path in a 260-byte field up to its terminator; nothing when the field holds no terminator.
std::optional<std::string> ReadPathField(const std::uint8_t* field)
{
    const void* terminator = std::memchr(field, 0, kFinishPathField);
    if (!terminator)
        return std::nullopt;
    const char* text = reinterpret_cast<const char*>(field);
    return std::string(text, static_cast<const char*>(terminator));
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

DecodedFinishRequest DecodeFinishRequest(const std::vector<std::uint8_t>& payload)
{
    DecodedFinishRequest decoded;
    if (payload.size() < kFinishRequestSize || ReadSizeTag(payload.data()) != protocol::kFinishRequestSizeTag)
        return decoded;
    std::optional<std::string> source = ReadPathField(payload.data() + kSourceOffset);
    std::optional<std::string> destination = ReadPathField(payload.data() + kDestinationOffset);
    decoded.decision = FinishDecision::Refuse;
    if (!source || !destination)
        decoded.refusal = kErrorFilenameExcedRange;
    else if (source->empty() || destination->empty())
        decoded.refusal = kErrorInvalidParameter;
    else
    {
        decoded.decision = FinishDecision::Place;
        decoded.request.sourcePath = std::move(*source);
        decoded.request.destinationPath = std::move(*destination);
    }
    return decoded;
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
