# Run by CPack after it has put the package's files together and before it packs
# them (CPACK_PRE_BUILD_SCRIPTS): writes SHA256SUMS, the SHA-256 of every other
# file of the package, in the form that `sha256sum -c SHA256SUMS` checks in the
# unpacked folder.
set(root "${CPACK_TEMPORARY_DIRECTORY}")
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${root}" "${root}/*")
list(REMOVE_ITEM files SHA256SUMS)
if(NOT files)
  message(FATAL_ERROR "No files to list in SHA256SUMS under ${root}")
endif()
list(SORT files)
set(sums "")
foreach(file IN LISTS files)
  file(SHA256 "${root}/${file}" hash)
  string(APPEND sums "${hash}  ${file}\n")
endforeach()
file(WRITE "${root}/SHA256SUMS" "${sums}")
