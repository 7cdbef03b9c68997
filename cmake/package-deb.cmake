# The Debian package for LinuxCNC and GRBL users: `cmake --build --preset release
# --target package_deb` writes kelvora_<version>_<arch>.deb into the build folder.
# It installs the command line as /usr/bin/kelvora (stripped), its manual page
# kelvora(1), and under /usr/share/doc/kelvora the operator's guide (HTML and
# markdown, with its pictures), the sample files with a README whose commands run
# in that folder, and the licence as copyright.
include(GNUInstallDirs)

find_program(KELVORA_DPKG dpkg)
if(KELVORA_DPKG)
  execute_process(COMMAND ${KELVORA_DPKG} --print-architecture OUTPUT_VARIABLE KELVORA_DEB_ARCH
    OUTPUT_STRIP_TRAILING_WHITESPACE)
else()
  set(KELVORA_DEB_ARCH amd64)
endif()
set(KELVORA_DEB ${CMAKE_BINARY_DIR}/kelvora_${PROJECT_VERSION}_${KELVORA_DEB_ARCH}.deb)
set(kelvora_doc share/doc/kelvora)

install(TARGETS kelvora RUNTIME DESTINATION bin)

include(${CMAKE_CURRENT_LIST_DIR}/guide.cmake)
kelvora_install_guide(${kelvora_doc})
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${kelvora_doc} RENAME copyright)

# The samples' README is written for the Windows package: there the commands run
# in the folder of kelvora.exe and name the files with backslashes. Here they run
# in /usr/share/doc/kelvora, where the program they print goes to the terminal.
set(kelvora_samples_readme ${PROJECT_SOURCE_DIR}/samples/README.txt)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${kelvora_samples_readme})
file(READ ${kelvora_samples_readme} readme)
set(windows_readme "${readme}")
string(REGEX REPLACE "Run the commands below in a command prompt in the folder that holds[ \r\n]+kelvora\\.exe;"
  "Run the commands below in a terminal in /usr/share/doc/kelvora;" readme "${readme}")
if(readme STREQUAL windows_readme)
  message(FATAL_ERROR "samples/README.txt no longer says where its commands run; "
    "cmake/package-deb.cmake rewrites that sentence for the Debian package")
endif()
string(REPLACE "samples\\" "samples/" readme "${readme}")
string(REPLACE "kelvora.exe" "kelvora" readme "${readme}")
file(WRITE ${CMAKE_BINARY_DIR}/package-deb/samples/README.txt "${readme}")
file(GLOB kelvora_samples CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/samples/*.csv
  ${PROJECT_SOURCE_DIR}/samples/*.dxf)
install(FILES ${kelvora_samples} ${CMAKE_BINARY_DIR}/package-deb/samples/README.txt
  DESTINATION ${kelvora_doc}/samples)

# The manual page, from the program's own --help and --version and the sections
# of docs/kelvora.h2m. gzip -n keeps the file's name and time out of it, so that
# the same program gives the same package.
find_program(KELVORA_HELP2MAN help2man)
find_program(KELVORA_GZIP gzip)
set(kelvora_man ${CMAKE_BINARY_DIR}/man/kelvora.1)
if(KELVORA_HELP2MAN AND KELVORA_GZIP)
  add_custom_command(OUTPUT ${kelvora_man}.gz
    COMMAND ${KELVORA_HELP2MAN} --no-info --section=1
      "--name=G-code programs for drilling, milling and cutting jobs"
      --include=${PROJECT_SOURCE_DIR}/docs/kelvora.h2m --output=${kelvora_man} $<TARGET_FILE:kelvora>
    COMMAND ${KELVORA_GZIP} -9 -n -f ${kelvora_man}
    DEPENDS kelvora ${PROJECT_SOURCE_DIR}/docs/kelvora.h2m
    COMMENT "Writing the manual page kelvora.1"
    VERBATIM)
else()
  add_custom_command(OUTPUT ${kelvora_man}.gz
    COMMAND ${CMAKE_COMMAND} -E echo "help2man or gzip not found (scripts/install-deps.sh installs them)"
    COMMAND ${CMAKE_COMMAND} -E false
    VERBATIM)
endif()
add_custom_target(kelvora_man DEPENDS ${kelvora_man}.gz)
install(FILES ${kelvora_man}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kelvora)
set(CPACK_PACKAGE_VENDOR Kelvora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "G-code programs for drilling, milling and cutting jobs")
set(CPACK_PACKAGE_DESCRIPTION "Kelvora turns a simple job (a hole circle, a hole grid, a list of \
points, a face-milling rectangle, DXF contours, cut lists, a taught sequence of positions, a \
rotary-axis thread) into a finished G-code program for LinuxCNC, GRBL, grblHAL or the Mach3 \
control, and checks a program against the machine's limits before it runs.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${KELVORA_DEB_ARCH})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Kelvora developers")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
# The libraries the program needs, as dpkg-shlibdeps finds them (libc6, libstdc++6, ...).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Folders 755 and files 644 (the program 755), whatever the builder's umask.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
  GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)

# Packs only what the package holds, rather than the build of everything that
# the target "package" would first make.
add_custom_target(package_deb
  COMMAND ${CMAKE_CPACK_COMMAND} -G DEB --config ${CMAKE_BINARY_DIR}/CPackConfig.cmake
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
  COMMENT "Packing ${KELVORA_DEB}"
  VERBATIM)
add_dependencies(package_deb kelvora kelvora_guide kelvora_man)
