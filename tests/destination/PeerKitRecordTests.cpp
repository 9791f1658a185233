#include "destination/DownloadRequest.h"
#include "peerkit/DownloadRequestBuilder.h"
#include "peerkit/Reply.h"

#include <gtest/gtest.h>

// What the peer kit builds, the assistant reads, the longest texts included.
TEST(PeerKitDownloadRequest, RoundTrip)
{
    peerkit::CDownloadRequestBuilder builder;
    ASSERT_TRUE(builder.SetCaption(std::string(255, 'c')) && builder.SetListFilePath("C:\\list.csv"));
    ASSERT_TRUE(builder.AddEntry("a.bin", "key-a") && builder.AddEntry(std::string(259, 'f'), std::string(511, 'k')));
    std::vector<std::uint8_t> record = builder.Build();
    EXPECT_EQ(record.size(), 544u + 2 * 772u);
    DecodedDownloadRequest decoded = DecodeDownloadRequest(record.data(), record.size());
    ASSERT_EQ(decoded.request.entries.size(), 2u);
    const DownloadRequest& request = decoded.request;
    EXPECT_EQ(request.caption + "|" + request.listFilePath + "|" + request.entries[0].fileName + "|" +
                  request.entries[0].listKey + "|" + request.entries[1].fileName + "|" + request.entries[1].listKey,
              std::string(255, 'c') + "|C:\\list.csv|a.bin|key-a|" + std::string(259, 'f') + "|" + std::string(511, 'k'));
    EXPECT_EQ(peerkit::CDownloadRequestBuilder().Build().size(), 1316u); // no entries: still the room of one
}

// Replies as any process could send them: only the assistant's shapes pass, and reply 3's path
// ends at a terminator inside the data ("-" for a refused reply).
TEST(PeerKitReply, OnlyTheAssistantsShapesAreTaken)
{
    struct Row
    {
        std::uint32_t code;
        std::string data;
        bool wellFormed;
        const char* folder;
    } rows[] = {
        {1, "", true, "-"},           {1, "x", false, "-"},       {2, "abcd", true, "-"},
        {2, "abc", false, "-"},       {2, "abcde", false, "-"},   {4, std::string(4, '\0'), true, "-"},
        {4, "", false, "-"},          {3, "", true, ""},          {3, std::string("C:\\a\0", 5), true, "C:\\a"},
        {3, "C:\\a", false, "-"},   {3, std::string(1, '\0'), false, "-"},
        {3, std::string("C:\\a\0b", 6), true, "C:\\a"}, {0, "", false, "-"},  {5, "abcd", false, "-"},
    };
    for (const Row& row : rows)
    {
        peerkit::Reply reply;
        reply.code = row.code;
        reply.data.assign(row.data.begin(), row.data.end());
        EXPECT_EQ(peerkit::ReplyWellFormed(row.code, reply.data), row.wellFormed) << row.code << " " << row.data;
        EXPECT_EQ(peerkit::FolderOfReply(reply).value_or("-"), row.folder) << row.code << " " << row.data;
    }
}
