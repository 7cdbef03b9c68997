# The operator's package: `cmake --build --preset windows --target package` writes
# Kelvora-<version>-win32.zip (win64 from the 64-bit build) into the build folder.
# It holds one folder of the same name with Kelvora.dll, kelvora.exe (both
# stripped), INSTALL.txt, LICENSE.txt, the operator's guide as HTML and markdown
# with its pictures, the sample files and SHA256SUMS. Text files that are opened in Notepad get CR LF line ends.
# (configure_file gives CR LF only to the template's own line ends, so the values
# put into INSTALL.txt hold none.)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(KELVORA_PACKAGE_ARCH win64)
  set(KELVORA_PACKAGE_BITS 64-bit)
else()
  set(KELVORA_PACKAGE_ARCH win32)
  set(KELVORA_PACKAGE_BITS 32-bit)
endif()
set(KELVORA_PACKAGE_NAME Kelvora-${PROJECT_VERSION}-${KELVORA_PACKAGE_ARCH})
set(KELVORA_PACKAGE_ZIP ${CMAKE_BINARY_DIR}/${KELVORA_PACKAGE_NAME}.zip)

set(kelvora_package_text ${CMAKE_BINARY_DIR}/package-text)
configure_file(${CMAKE_CURRENT_LIST_DIR}/INSTALL.txt.in ${kelvora_package_text}/INSTALL.txt @ONLY
  NEWLINE_STYLE CRLF)
configure_file(${PROJECT_SOURCE_DIR}/LICENSE ${kelvora_package_text}/LICENSE.txt @ONLY
  NEWLINE_STYLE CRLF)
configure_file(${PROJECT_SOURCE_DIR}/samples/README.txt ${kelvora_package_text}/samples/README.txt
  @ONLY NEWLINE_STYLE CRLF)

# The plug-in and the command line, stripped of their symbols in the package
# (CPACK_STRIP_FILES below); the build tree keeps them for the debugger. The
# plug-in's import library is for linking only and stays out.
install(TARGETS kelvora_plugin kelvora RUNTIME DESTINATION . ARCHIVE DESTINATION lib EXCLUDE_FROM_ALL)
install(FILES ${kelvora_package_text}/INSTALL.txt ${kelvora_package_text}/LICENSE.txt DESTINATION .)

# The guide, HTML (opened with a double click) and markdown, with its pictures.
# The zip is packed after the build of everything, of which the guide is part.
set(KELVORA_GUIDE_IN_ALL ON)
include(${CMAKE_CURRENT_LIST_DIR}/guide.cmake)
kelvora_install_guide(.)

file(GLOB kelvora_samples CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/samples/*.csv
  ${PROJECT_SOURCE_DIR}/samples/*.dxf)
install(FILES ${kelvora_samples} ${kelvora_package_text}/samples/README.txt DESTINATION samples)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Kelvora)
set(CPACK_PACKAGE_VENDOR Kelvora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME ${KELVORA_PACKAGE_NAME})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/package_checksums.cmake)
include(CPack)
