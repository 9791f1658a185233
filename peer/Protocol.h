// The peer protocol's fixed names and numbers, shared by the assistant and the peer kit.
#pragma once

#include <cstdint>

namespace protocol
{
constexpr const char* kRequestEventName = "{A9465429-A78A-4870-881A-46EEEE1E0D78}";
constexpr const char* kQuitEventName = "{C985BDF5-6148-4935-93DD-42C50CA5A455}";
constexpr const char* kStopMutexName = "{24EC1259-4761-416c-8711-EF510BDAF47D}";
constexpr const char* kWorkFileName = "dlcwork.tmp";
constexpr const char* kFrameWindowText = "Kavo Downloader";

constexpr std::uint32_t kEventAllAccess = 0x001F0003;

enum CommandCode : std::uint32_t
{
    kCommandAttach = 1,
    kCommandDownload = 2,
    kCommandFinish = 3,
};

enum ReplyCode : std::uint32_t
{
    kReplyAttached = 1,
    kReplyResumeFlag = 2,
    kReplyFolder = 3,
    kReplyFinished = 4,
};

constexpr std::uint32_t kWmApp = 0x8000;
constexpr std::uint32_t kWmAttachRequest = kWmApp + 0x11;
constexpr std::uint32_t kWmDownloadRequest = kWmApp + 0x12;
constexpr std::uint32_t kWmFinishRequest = kWmApp + 0x13;

constexpr std::uint32_t kAttachRequestSize = 12;
constexpr std::uint32_t kDownloadRequestSizeTag = 1316;
constexpr std::uint32_t kFinishRequestSizeTag = 524;

// A work file larger than this holds no command any peer sends (about 21,000 entries):
// it is discarded instead of being read into memory.
constexpr std::uint32_t kMaxPayloadBytes = 16u * 1024u * 1024u;
} // namespace protocol
