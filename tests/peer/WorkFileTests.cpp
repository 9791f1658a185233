#include "peer/AttachRequest.h"
#include "peer/PendingPayloads.h"
#include "peer/Records.h"
#include "peer/WorkFile.h"

#include <gtest/gtest.h>

namespace
{
using Bytes = std::vector<std::uint8_t>;
constexpr auto kLeave = WorkFileAction::LeaveInPlace, kDiscard = WorkFileAction::Discard, kPost = WorkFileAction::Post;

TEST(WorkFile, Framing)
{
    struct { const char* name; Bytes bytes; bool whole; WorkFileAction action; std::uint32_t code; Bytes payload; }
        const rows[] = {
        {"empty", {}, true, kLeave, 0, {}}, {"code 0", {0, 0, 0, 0, 1, 2}, true, kLeave, 0, {}},
        {"code 4", {4, 0, 0, 0}, true, kLeave, 4, {}}, {"byte 2", {2, 1, 0, 0}, true, kLeave, 0x102, {}},
        {"byte 3", {3, 0, 1, 0}, true, kLeave, 0x10003, {}}, {"byte 4", {1, 0, 0, 1}, true, kLeave, 0x01000001, {}},
        {"all ones", {0xFF, 0xFF, 0xFF, 0xFF, 9}, true, kLeave, 0xFFFFFFFF, {}},
        {"one byte", {1}, true, kDiscard, 1, {}}, {"two bytes", {2, 0}, true, kDiscard, 2, {}}, // high bytes 0
        {"three bytes", {3, 0, 0}, true, kDiscard, 3, {}}, {"two, no command", {0, 1}, true, kLeave, 0x100, {}},
        {"command 1", {1, 0, 0, 0}, true, kPost, 1, {}}, {"command 2", {2, 0, 0, 0, 7}, true, kPost, 2, {7}},
        {"command 3", {3, 0, 0, 0, 0xAA, 0xBB, 0xCC}, true, kPost, 3, {0xAA, 0xBB, 0xCC}},
        {"not read whole", {2, 0, 0, 0, 1}, false, kDiscard, 2, {}}, {"not whole, no command", {7}, false, kLeave, 7, {}},
    };
    for (const auto& row : rows)
    {
        DecodedWorkFile decoded = DecodeWorkFile(row.bytes.data(), row.bytes.size(), row.whole);
        EXPECT_EQ(decoded.action, row.action) << row.name;
        EXPECT_EQ(decoded.commandCode, row.code) << row.name;
        EXPECT_EQ(decoded.payload, row.payload) << row.name;
    }
    Bytes largest(4 + 16 * 1024 * 1024, 0); // a payload of 16 MiB is the largest taken in
    largest[0] = 2;
    EXPECT_EQ(DecodeWorkFile(largest.data(), largest.size(), true).action, kPost);
    largest.push_back(0);
    EXPECT_EQ(DecodeWorkFile(largest.data(), largest.size(), true).action, kDiscard);
}

TEST(AttachRecord, NamesBothWindowsFromTwelveBytes)
{
    Bytes record = {0xEE, 0, 0, 0, 0x44, 0x33, 0x22, 0x11, 0x4E, 0x01, 0xA0, 0x80, 7}; // first field unread
    std::optional<AttachRequest> request = DecodeAttachRequest(record);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->peerWindow, 0x11223344u);
    EXPECT_EQ(request->replyWindow, 0x80A0014Eu);
    EXPECT_TRUE(DecodeAttachRequest(Bytes(12, 0)));
    EXPECT_FALSE(DecodeAttachRequest(Bytes(11, 0)));
}

TEST(PendingPayloads, OnlyIssuedTokensAreAdoptedAndOnlyOnce)
{
    CPendingPayloads pending;
    std::uintptr_t token = pending.Add(std::make_unique<CPayload>(Bytes{1, 2, 3}));
    pending.Add(std::make_unique<CPayload>(Bytes{4}));
    EXPECT_TRUE(pending.Adopt(token + 1) == nullptr && pending.Adopt(0) == nullptr); // never issued
    std::unique_ptr<CPayload> payload = pending.Adopt(token);
    ASSERT_NE(payload, nullptr);
    EXPECT_EQ(*payload, (Bytes{1, 2, 3}));
    EXPECT_EQ(pending.Adopt(token), nullptr);
    EXPECT_EQ(pending.Count(), 1u);
}

// The records' 32-bit values are little-endian, written and read at any offset.
TEST(Records, UInt32RoundTrip)
{
    for (std::uint32_t value : {0u, 0x12345678u, 0x80000001u, 0xFFFFFFFFu})
        for (std::size_t offset : {0u, 3u})
        {
            std::vector<std::uint8_t> put(offset + 4, 0xAA);
            PutUInt32(put, offset, value);
            std::vector<std::uint8_t> appended(offset, 0xAA);
            AppendUInt32(appended, value);
            EXPECT_EQ(put, appended) << value;
            EXPECT_EQ(ReadUInt32(put.data(), offset), value) << value;
        }
    std::vector<std::uint8_t> bytes;
    AppendUInt32(bytes, 0x12345678u);
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0x78, 0x56, 0x34, 0x12}));
}
} // namespace
