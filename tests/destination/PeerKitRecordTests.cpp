#include "destination/DownloadRequest.h"
#include "peerkit/DownloadRequestBuilder.h"

#include <gtest/gtest.h>

namespace
{
using peerkit::CDownloadRequestBuilder;

TEST(PeerKitDownloadRequest, WhatThePeerKitBuildsTheAssistantReads)
{
    CDownloadRequestBuilder builder;
    ASSERT_TRUE(builder.SetCaption(std::string(255, 'c')));
    ASSERT_TRUE(builder.SetListFilePath("C:\\list.csv"));
    ASSERT_TRUE(builder.AddEntry("a.bin", "key-a"));
    ASSERT_TRUE(builder.AddEntry(std::string(259, 'f'), std::string(511, 'k')));
    std::vector<std::uint8_t> record = builder.Build();
    EXPECT_EQ(record.size(), 544u + 2 * 772u);
    DecodedDownloadRequest decoded = DecodeDownloadRequest(record.data(), record.size());
    ASSERT_EQ(decoded.status, DownloadRequestStatus::Decoded);
    EXPECT_EQ(decoded.request.caption, std::string(255, 'c'));
    EXPECT_EQ(decoded.request.listFilePath, "C:\\list.csv");
    ASSERT_EQ(decoded.request.entries.size(), 2u);
    EXPECT_EQ(decoded.request.entries[0].listKey, "key-a");
    EXPECT_EQ(decoded.request.entries[1].fileName, std::string(259, 'f'));

    CDownloadRequestBuilder empty;
    EXPECT_EQ(empty.Build().size(), 1316u);
    EXPECT_EQ(DecodeDownloadRequest(empty.Build().data(), 1316).status, DownloadRequestStatus::Decoded);
}

TEST(PeerKitDownloadRequest, TextsThatDoNotFitAreRefused)
{
    CDownloadRequestBuilder builder;
    EXPECT_FALSE(builder.SetCaption(std::string(256, 'c')));
    EXPECT_FALSE(builder.SetListFilePath(std::string(260, 'p')));
    EXPECT_FALSE(builder.AddEntry(std::string(260, 'f'), "k"));
    EXPECT_FALSE(builder.AddEntry("f", std::string(512, 'k')));
    EXPECT_FALSE(builder.SetCaption(std::string("a\0b", 3)));
    std::vector<std::uint8_t> record = builder.Build();
    EXPECT_EQ(record[4], 0u) << "no entry was added";
    EXPECT_EQ(record[24], 0u) << "the caption stayed empty";
}
} // namespace
