# Cross-build for 32-bit Windows; compiled as a check, it cannot run on a 64-bit-only kernel.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(DA_TARGET_TRIPLE i686-w64-mingw32)
set(DA_MANIFEST_ARCH x86)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
