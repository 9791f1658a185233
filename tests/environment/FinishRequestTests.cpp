#include "environment/FinishRequest.h"

#include <gtest/gtest.h>

namespace
{
using Bytes = std::vector<std::uint8_t>;

// The 524-byte record: tag, then the two 260-byte path fields; cut or padded with 'z' to size.
Bytes Record(const std::string& source, const std::string& target, std::uint32_t tag = 524, std::size_t size = 524)
{
    Bytes bytes(524, 0);
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<std::uint8_t>(tag >> (8 * i));
    std::copy(source.begin(), source.end(), bytes.begin() + 4);
    std::copy(target.begin(), target.end(), bytes.begin() + 264);
    bytes.resize(size, 'z');
    return bytes;
}

std::string Decided(const Bytes& payload)
{
    DecodedFinishRequest decoded = DecodeFinishRequest(payload);
    if (decoded.decision == FinishDecision::Ignore)
        return "Ignore";
    if (decoded.decision == FinishDecision::Refuse)
        return "Refuse " + std::to_string(decoded.refusal) + decoded.request.sourcePath;
    return "Place " + decoded.request.sourcePath + "|" + decoded.request.destinationPath;
}

TEST(DecodeFinishRequest, Decisions)
{
    const std::string full(260, 'p'), longest(259, 'p');
    struct { const char* name; Bytes payload; std::string decided; } const rows[] = {
        {"whole record", Record("C:\\t\\a.tmp", "D:\\d\\a.txt"), "Place C:\\t\\a.tmp|D:\\d\\a.txt"},
        {"bytes beyond the record", Record("C:\\a", "C:\\b", 524, 700), "Place C:\\a|C:\\b"},
        {"a path ends at its first NUL", Record(longest, std::string("C:\\b\0tail", 9)), "Place " + longest + "|C:\\b"},
        {"empty", Record("a", "b", 524, 0), "Ignore"}, {"the tag alone", Record("a", "b", 524, 4), "Ignore"},
        {"one byte short", Record("a", "b", 524, 523), "Ignore"}, {"tag 523", Record("a", "b", 523), "Ignore"},
        {"tag 525", Record("a", "b", 525), "Ignore"}, {"tag 1316", Record("a", "b", 1316, 1316), "Ignore"},
        {"byte 2", Record("a", "b", 524 + (1u << 8)), "Ignore"}, {"byte 3", Record("a", "b", 524 + (1u << 16)), "Ignore"},
        {"byte 4", Record("a", "b", 524 + (1u << 24)), "Ignore"}, {"bit 31", Record("a", "b", 524 + (1u << 31)), "Ignore"},
        {"source without NUL", Record(full, "b"), "Refuse 206"}, {"destination too", Record("a", full), "Refuse 206"},
        {"neither with a NUL", Record(full, full), "Refuse 206"}, {"empty source", Record("", "b"), "Refuse 87"},
        {"empty destination", Record("a", ""), "Refuse 87"}, {"both empty", Record("", ""), "Refuse 87"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Decided(row.payload), row.decided) << row.name;
}
} // namespace
