# Settings for the 32-bit Windows cross-build (toolchain cmake/mingw-i686.cmake):
# the header-only libraries taken from the build machine, and Wine to run the
# programs that the tests start.
if(NOT (WIN32 AND CMAKE_CROSSCOMPILING))
  return()
endif()

# CLI11, rapidxml and Boost (Boost.Geometry for the pockets) are header-only
# and installed for the build machine. Putting /usr/include on the cross
# compiler's path would mix Linux system headers into the Windows build, so a
# folder of links to just those headers' folders is used instead, as system
# headers (their own warnings are not ours).
set(KELVORA_HOST_INCLUDE_DIR /usr/include CACHE PATH "Where the header-only libraries are installed")
set(kelvora_cross_include ${CMAKE_BINARY_DIR}/cross-include)
file(MAKE_DIRECTORY ${kelvora_cross_include})
foreach(header CLI/CLI.hpp rapidxml/rapidxml.hpp boost/geometry.hpp)
  if(NOT EXISTS ${KELVORA_HOST_INCLUDE_DIR}/${header})
    message(FATAL_ERROR "${header} not found in ${KELVORA_HOST_INCLUDE_DIR} (packages libcli11-dev, librapidxml-dev, libboost-dev)")
  endif()
  get_filename_component(folder ${header} DIRECTORY)
  file(CREATE_LINK ${KELVORA_HOST_INCLUDE_DIR}/${folder} ${kelvora_cross_include}/${folder} SYMBOLIC)
endforeach()
include_directories(SYSTEM ${kelvora_cross_include})

# Tests run the Windows programs under Wine through a wrapper that keeps a
# private prefix in the build folder. Debian's `wine` starts 32-bit Wine; 64-bit
# programs need the 64-bit loader.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(KELVORA_WINEARCH win64)
    find_program(KELVORA_WINE NAMES wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
  else()
    set(KELVORA_WINEARCH win32)
    find_program(KELVORA_WINE NAMES wine NO_CMAKE_FIND_ROOT_PATH)
  endif()
  find_program(KELVORA_WINESERVER NAMES wineserver NO_CMAKE_FIND_ROOT_PATH)
  if(NOT KELVORA_WINE OR NOT KELVORA_WINESERVER)
    message(WARNING "Wine not found: the Windows tests cannot run (see scripts/install-deps.sh)")
  else()
    set(KELVORA_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
    # The registry file is named as Wine sees the Unix root: drive Z:.
    string(REPLACE "/" "\\" KELVORA_FONTS_REG "Z:${CMAKE_CURRENT_LIST_DIR}/wine-fonts.reg")
    # Programs that open windows need an X display: a test run keeps one virtual
    # display (xvfb.sh), noted in this file for wine-run.sh.
    set(KELVORA_XVFB_STATE ${CMAKE_BINARY_DIR}/xvfb-display)
    find_program(KELVORA_XVFB NAMES Xvfb NO_CMAKE_FIND_ROOT_PATH)
    if(KELVORA_XVFB)
      configure_file(${CMAKE_CURRENT_LIST_DIR}/xvfb.sh.in ${CMAKE_BINARY_DIR}/xvfb.sh
        @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
        WORLD_READ WORLD_EXECUTE)
    else()
      message(WARNING "Xvfb not found: the Windows tests that open windows cannot run (see scripts/install-deps.sh)")
    endif()
    configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh
      @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
      WORLD_READ WORLD_EXECUTE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)
  endif()
endif()
