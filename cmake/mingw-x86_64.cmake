# Cross-build for 64-bit Windows with MinGW-w64 (posix thread model). Not the
# product: it runs the Windows tests under 64-bit Wine on machines whose kernel
# cannot execute 32-bit programs, where 32-bit Wine does not start.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KELVORA_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
