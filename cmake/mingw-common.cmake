# Shared part of the MinGW-w64 toolchain files; KELVORA_MINGW_TRIPLE names the
# target. Everything is linked statically so that nothing but Windows' own DLLs
# is needed at run time.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${KELVORA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KELVORA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KELVORA_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KELVORA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Doubles are computed in SSE2 registers, as on x86-64: the x87 unit's excess
# precision would change last digits and thus the program text.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

