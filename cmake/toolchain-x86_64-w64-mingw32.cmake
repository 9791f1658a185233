# Cross-build for 64-bit Windows with the win32 thread-model MinGW-w64 compilers.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(DA_TARGET_TRIPLE x86_64-w64-mingw32)
set(DA_MANIFEST_ARCH amd64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
# Tests run under Wine on this machine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
