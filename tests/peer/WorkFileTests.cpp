#include "peer/AttachRequest.h"
#include "peer/PendingPayloads.h"
#include "peer/Protocol.h"
#include "peer/WorkFile.h"

#include <gtest/gtest.h>

namespace
{
using Bytes = std::vector<std::uint8_t>;

DecodedWorkFile Decode(const Bytes& bytes, bool whole = true)
{
    return DecodeWorkFile(bytes.data(), bytes.size(), whole);
}

TEST(WorkFileFraming, NoCommandLeavesTheFileInPlace)
{
    EXPECT_EQ(Decode({}).action, WorkFileAction::LeaveInPlace);
    EXPECT_EQ(Decode({0, 0, 0, 0, 1, 2}).action, WorkFileAction::LeaveInPlace);
    EXPECT_EQ(Decode({4, 0, 0, 0}).action, WorkFileAction::LeaveInPlace);
    DecodedWorkFile all = Decode({0xFF, 0xFF, 0xFF, 0xFF, 9});
    EXPECT_EQ(all.action, WorkFileAction::LeaveInPlace);
    EXPECT_EQ(all.commandCode, 0xFFFFFFFFu);
    // Bytes above the first make a code above 3 even when the low byte is a valid code.
    EXPECT_EQ(Decode({1, 0, 0, 1}).action, WorkFileAction::LeaveInPlace);
}

TEST(WorkFileFraming, ShortFileWithAValidCodeIsDiscarded)
{
    for (std::uint8_t code = 1; code <= 3; ++code)
    {
        EXPECT_EQ(Decode({code}).action, WorkFileAction::Discard);
        EXPECT_EQ(Decode({code, 0}).action, WorkFileAction::Discard);
        EXPECT_EQ(Decode({code, 0, 0}).action, WorkFileAction::Discard);
    }
    // A file of 1 to 3 bytes reads with its missing high bytes 0.
    EXPECT_EQ(Decode({2, 0}).commandCode, 2u);
    EXPECT_EQ(Decode({0, 1}).action, WorkFileAction::LeaveInPlace);
}

TEST(WorkFileFraming, PayloadIsEverythingAfterTheCode)
{
    DecodedWorkFile decoded = Decode({3, 0, 0, 0, 0xAA, 0xBB, 0xCC});
    EXPECT_EQ(decoded.action, WorkFileAction::Post);
    EXPECT_EQ(decoded.commandCode, 3u);
    EXPECT_EQ(decoded.payload, (Bytes{0xAA, 0xBB, 0xCC}));

    DecodedWorkFile empty = Decode({1, 0, 0, 0});
    EXPECT_EQ(empty.action, WorkFileAction::Post);
    EXPECT_TRUE(empty.payload.empty());
}

TEST(WorkFileFraming, FileTooLargeToTakeInIsDiscarded)
{
    EXPECT_EQ(Decode({2, 0, 0, 0, 1, 2, 3}, false).action, WorkFileAction::Discard);
    EXPECT_EQ(Decode({7, 0, 0, 0, 1}, false).action, WorkFileAction::LeaveInPlace);
    Bytes oversized(4 + protocol::kMaxPayloadBytes + 1, 0);
    oversized[0] = 2;
    EXPECT_EQ(Decode(oversized).action, WorkFileAction::Discard);
}

TEST(AttachRecord, NamesBothWindows)
{
    Bytes record = {12, 0, 0, 0, 0x44, 0x00, 0x02, 0x00, 0x4E, 0x00, 0x01, 0x00};
    std::optional<AttachRequest> request = DecodeAttachRequest(record);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->peerWindow, 0x00020044u);
    EXPECT_EQ(request->replyWindow, 0x0001004Eu);
    // The first field is not read, and bytes after the record are ignored.
    record[0] = 0xEE;
    record.push_back(7);
    EXPECT_TRUE(DecodeAttachRequest(record));
}

TEST(AttachRecord, ShorterThanTwelveBytesIsRefused)
{
    for (size_t size = 0; size < 12; ++size)
        EXPECT_FALSE(DecodeAttachRequest(Bytes(size, 1))) << size;
}

TEST(PendingPayloads, OnlyIssuedTokensAreAdoptedAndOnlyOnce)
{
    CPendingPayloads pending;
    std::uintptr_t token = pending.Add(std::make_unique<CPayload>(Bytes{1, 2, 3}));
    EXPECT_EQ(pending.Adopt(token + 1), nullptr);
    EXPECT_EQ(pending.Adopt(0), nullptr);
    std::unique_ptr<CPayload> payload = pending.Adopt(token);
    ASSERT_NE(payload, nullptr);
    EXPECT_EQ(*payload, (Bytes{1, 2, 3}));
    EXPECT_EQ(pending.Adopt(token), nullptr);
    EXPECT_EQ(pending.Count(), 0u);
}
} // namespace
