# The project version (project() in the top CMakeLists.txt) carried to where it
# shows: the command line's --version, the Windows version blocks, the package.
set(KELVORA_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_CURRENT_LIST_DIR}/version.h.in ${KELVORA_GENERATED_DIR}/kelvora_version.h
  @ONLY)
set(KELVORA_VERSION_RC_IN ${CMAKE_CURRENT_LIST_DIR}/version.rc.in)

# Gives a Windows program or library the version block that Explorer shows under
# Properties, Details. `filename` is the built file's name, `filetype` VFT_APP or
# VFT_DLL.
function(kelvora_version_resource target filename description filetype)
  if(NOT WIN32)
    return()
  endif()
  set(KELVORA_RC_FILENAME ${filename})
  get_filename_component(KELVORA_RC_INTERNALNAME ${filename} NAME_WE)
  set(KELVORA_RC_DESCRIPTION "${description}")
  set(KELVORA_RC_FILETYPE ${filetype})
  set(rc ${KELVORA_GENERATED_DIR}/${filename}.rc)
  configure_file(${KELVORA_VERSION_RC_IN} ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
