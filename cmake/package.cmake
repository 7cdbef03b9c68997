# The operator's package: `cmake --build --preset windows --target package` writes
# Kelvora-<version>-win32.zip (win64 from the 64-bit build) into the build folder.
# It holds one folder of the same name with Kelvora.dll, kelvora.exe, INSTALL.txt,
# LICENSE.txt, the operator's guide with its pictures, the sample files and
# SHA256SUMS. Text files that are opened in Notepad get CR LF line ends.
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

install(FILES $<TARGET_FILE:kelvora_plugin> $<TARGET_FILE:kelvora> ${kelvora_package_text}/INSTALL.txt
  ${kelvora_package_text}/LICENSE.txt ${PROJECT_SOURCE_DIR}/docs/operator-guide.md DESTINATION .)

# The guide's pictures, each at the place its relative link names, so that the
# links work in the unpacked folder. The guide is read again whenever it changes.
set(kelvora_guide ${PROJECT_SOURCE_DIR}/docs/operator-guide.md)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${kelvora_guide})
file(READ ${kelvora_guide} kelvora_guide_text)
# Square brackets would keep CMake from splitting the matches into a list.
string(REPLACE "](" "<link>(" kelvora_guide_text "${kelvora_guide_text}")
string(REGEX REPLACE "[][]" "" kelvora_guide_text "${kelvora_guide_text}")
string(REGEX MATCHALL "<link>\\([^) ]+\\.png[) ]" kelvora_picture_links "${kelvora_guide_text}")
string(REGEX MATCHALL "src=\"[^\"]+\\.png\"" kelvora_picture_tags "${kelvora_guide_text}")
set(kelvora_pictures "")
foreach(link IN LISTS kelvora_picture_links kelvora_picture_tags)
  string(REGEX REPLACE "^(<link>\\(|src=\")(.*\\.png).$" "\\2" picture "${link}")
  if(picture MATCHES "://")
    continue()  # a picture on the web
  endif()
  # Only pictures inside the docs folder travel with the guide.
  if(picture MATCHES "^[a-zA-Z0-9_./-]+$" AND NOT picture MATCHES "(^|/)\\.\\.(/|$)"
     AND NOT picture MATCHES "^/")
    list(APPEND kelvora_pictures ${picture})
  else()
    message(FATAL_ERROR "The operator's guide links a picture outside docs/: ${picture}")
  endif()
endforeach()
list(REMOVE_DUPLICATES kelvora_pictures)
foreach(picture IN LISTS kelvora_pictures)
  get_filename_component(folder ${picture} DIRECTORY)
  if(NOT folder)
    set(folder .)
  endif()
  install(FILES ${PROJECT_SOURCE_DIR}/docs/${picture} DESTINATION ${folder})
endforeach()

file(GLOB kelvora_samples CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/samples/*.csv
  ${PROJECT_SOURCE_DIR}/samples/*.dxf)
install(FILES ${kelvora_samples} ${kelvora_package_text}/samples/README.txt DESTINATION samples)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Kelvora)
set(CPACK_PACKAGE_VENDOR Kelvora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME ${KELVORA_PACKAGE_NAME})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/package_checksums.cmake)
include(CPack)
