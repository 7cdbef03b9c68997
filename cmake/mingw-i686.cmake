# Cross-build for 32-bit Windows with MinGW-w64 (posix thread model): the
# product's target, the platform that the host program runs on.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(KELVORA_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
