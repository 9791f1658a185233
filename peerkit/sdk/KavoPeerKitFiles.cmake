# The peer kit's files, relative to the folder that holds peerkit/, peer/, contentlist/ and
# framework/. Public headers are what a peer includes (and what they include in turn); private
# headers are needed only to compile the kit.
set(KavoPeerKit_PUBLIC_HEADERS
    peerkit/PeerSession.h peerkit/Reply.h peerkit/MessagePump.h peerkit/DownloadRequestBuilder.h peerkit/FinishRequest.h
    peerkit/ContentListWriter.h peerkit/FinishPolicySetting.h peer/Protocol.h peer/Records.h contentlist/ContentRecord.h)
set(KavoPeerKit_PRIVATE_HEADERS
    contentlist/CharStep.h contentlist/ContentListLock.h contentlist/ContentListLockSecurity.h contentlist/ContentListText.h
    contentlist/ContentRecordMap.h contentlist/CsvTokenizer.h contentlist/LineFormat.h contentlist/ReplacementFile.h
    framework/CodePage.h framework/Exceptions.h framework/Handle.h framework/MutexHold.h framework/SystemFunction.h
    framework/SystemVersion.h)
set(KavoPeerKit_SOURCES
    peerkit/PeerSession.cpp peerkit/PeerSessionReplies.cpp peerkit/Reply.cpp peerkit/DownloadRequestBuilder.cpp peerkit/ContentListWriter.cpp
    peerkit/FinishRequest.cpp peerkit/FinishPolicySetting.cpp contentlist/ContentListLock.cpp
    contentlist/ContentListText.cpp contentlist/ContentRecordMap.cpp contentlist/CsvTokenizer.cpp
    contentlist/LineFormat.cpp contentlist/ContentListLockSecurity.cpp contentlist/ReplacementFile.cpp
    framework/CodePage.cpp)
