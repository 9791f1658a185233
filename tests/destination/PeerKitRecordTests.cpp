#include "destination/DownloadRequest.h"
#include "peerkit/DownloadRequestBuilder.h"

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
