# The operator's package tried as an operator would, in a fresh Wine prefix of its
# own: the zip unpacked into C:\Mach3\PlugIns\, Kelvora.dll copied from it into
# PlugIns, the host's circle road run against that DLL, the version blocks read,
# and kelvora.exe from the package run on every sample with the command that
# samples\README.txt gives for it.
#
#   cmake -DZIP=... -DNAME=Kelvora-<version>-<arch> -DVERSION=<version>
#         -DWINE_RUN=.../wine-run.sh -DTESTHOST=.../testhost.exe
#         -DFILE_VERSION=.../file_version.exe -DOBJDUMP=<the cross objdump>
#         -DDATA=<tests folder>
#         -DSCENARIO=<circle road> -DWORK=<folder> -P run_package_test.cmake
cmake_minimum_required(VERSION 3.25)
foreach(var ZIP NAME VERSION WINE_RUN TESTHOST FILE_VERSION OBJDUMP DATA SCENARIO WORK)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "run_package_test.cmake needs -D${var}=...")
  endif()
endforeach()

# A failed check is reported and the others still run; any makes the test fail.
function(fail message)
  message(SEND_ERROR "${message}")
  set_property(GLOBAL APPEND PROPERTY package_failures x)
endfunction()

# Wine sees the Unix root as drive Z:.
function(windows_path out unix)
  string(REPLACE "/" "\\" path "Z:${unix}")
  set(${out} "${path}" PARENT_SCOPE)
endfunction()

if(NOT EXISTS ${ZIP})
  message(FATAL_ERROR "No package to try: ${ZIP}")
endif()

set(prefix ${WORK}/prefix)
set(ENV{KELVORA_WINE_PREFIX} ${prefix})
# A server left by an earlier run that stopped half-way goes first.
if(EXISTS ${prefix})
  execute_process(COMMAND ${WINE_RUN} --stop OUTPUT_QUIET ERROR_QUIET)
endif()
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/programs)

# Creates the prefix and starts its server for the whole test.
execute_process(COMMAND ${WINE_RUN} --start RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  execute_process(COMMAND ${WINE_RUN} --stop OUTPUT_QUIET ERROR_QUIET)
  message(FATAL_ERROR "The Wine prefix ${prefix} could not be made (${status})")
endif()

set(plugins ${prefix}/drive_c/Mach3/PlugIns)
set(top ${plugins}/${NAME})
file(MAKE_DIRECTORY ${plugins})
file(ARCHIVE_EXTRACT INPUT ${ZIP} DESTINATION ${plugins})

# What the operator finds after unpacking: one folder, named as the zip.
file(GLOB unpacked RELATIVE ${plugins} ${plugins}/*)
if(NOT unpacked STREQUAL NAME)
  fail("The zip should hold the one folder ${NAME}, holds: ${unpacked}")
endif()
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${top} ${top}/*)
foreach(required Kelvora.dll kelvora.exe INSTALL.txt LICENSE.txt operator-guide.md
                 operator-guide.html SHA256SUMS samples/README.txt)
  if(NOT required IN_LIST files)
    fail("${required} is missing from the package")
  endif()
endforeach()

# SHA256SUMS names every other file, and sha256sum agrees with it.
file(STRINGS ${top}/SHA256SUMS sum_lines)
set(summed "")
foreach(line IN LISTS sum_lines)
  if(line MATCHES "^[0-9a-f]+  (.+)$")
    list(APPEND summed ${CMAKE_MATCH_1})
  else()
    fail("SHA256SUMS: not a checksum line: ${line}")
  endif()
endforeach()
set(unsummed ${files})
list(REMOVE_ITEM unsummed SHA256SUMS)
list(SORT unsummed)
list(SORT summed)
if(NOT summed STREQUAL unsummed)
  fail("SHA256SUMS lists ${summed}\nthe package holds ${unsummed}")
endif()
execute_process(COMMAND sha256sum --check --strict SHA256SUMS WORKING_DIRECTORY ${top}
  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0)
  fail("sha256sum --check failed:\n${output}")
endif()

# INSTALL.txt is opened in Notepad: CR LF line ends, and it names the version.
# file(READ) would drop the CRs, so the bytes are looked at in hex, one pair each.
file(READ ${top}/INSTALL.txt install_hex HEX)
string(REGEX REPLACE "(..)" "\\1 " install_bytes "${install_hex}")
string(REPLACE "0d 0a " "" bare_bytes "${install_bytes}")
if(NOT install_bytes MATCHES "0d 0a " OR bare_bytes MATCHES "(^| )0[ad] ")
  fail("INSTALL.txt has line ends other than CR LF")
endif()
file(READ ${top}/INSTALL.txt install_text)
if(NOT install_text MATCHES "Kelvora ${VERSION} " OR NOT install_text MATCHES "C:\\\\Mach3\\\\PlugIns")
  fail("INSTALL.txt names neither the version ${VERSION} nor the plug-in folder")
endif()

# The guide, HTML and markdown, and everything its links name.
include(${CMAKE_CURRENT_LIST_DIR}/check_guide.cmake)
kelvora_check_guide(${top})

# Both programs stripped: no symbol table, no debugging sections (their exports
# and version blocks are checked below).
foreach(file Kelvora.dll kelvora.exe)
  execute_process(COMMAND ${OBJDUMP} --syms --section-headers ${top}/${file}
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
  if(NOT status EQUAL 0 OR NOT output MATCHES "SYMBOL TABLE:\n+no symbols" OR output MATCHES "\\.debug_")
    fail("${file} is not stripped (${status}):\n${output}${errors}")
  endif()
  file(SIZE ${top}/${file} size)
  message(STATUS "${file}: ${size} bytes")
endforeach()

# As the operator installs it: Kelvora.dll directly in PlugIns.
file(COPY ${top}/Kelvora.dll DESTINATION ${plugins})

# The host's circle road through the DLL from the package.
windows_path(data_arg ${DATA})
windows_path(work_arg ${WORK}/scenario)
windows_path(scenario_arg ${SCENARIO})
execute_process(
  COMMAND ${WINE_RUN} ${TESTHOST} --plugin "C:\\Mach3\\PlugIns\\Kelvora.dll" --data ${data_arg}
    --work ${work_arg} ${scenario_arg}
  TIMEOUT 300 RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
if(NOT status EQUAL 0 OR NOT output MATCHES "passed")
  fail("The circle road through the packaged Kelvora.dll failed (${status}):\n${output}${errors}")
else()
  message(STATUS "Circle road through C:\\Mach3\\PlugIns\\Kelvora.dll: ${output}")
endif()

# The version blocks, as Explorer shows them under Properties, Details.
string(REPLACE "." ";" parts ${VERSION})
list(GET parts 0 major)
list(GET parts 1 minor)
list(GET parts 2 patch)
set(quad "${major}.${minor}.${patch}.0")
foreach(entry "Kelvora.dll|dll|Kelvora plug-in for Mach3|Kelvora"
              "kelvora.exe|app|Kelvora command-line program generator|kelvora")
  string(REPLACE "|" ";" entry "${entry}")
  list(GET entry 0 file)
  list(GET entry 1 type)
  list(GET entry 2 description)
  list(GET entry 3 internal)
  execute_process(COMMAND ${WINE_RUN} ${FILE_VERSION} "C:\\Mach3\\PlugIns\\${NAME}\\${file}"
    TIMEOUT 120 RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
  set(expected "FixedFileVersion=${quad}" "FixedProductVersion=${quad}" "FixedFileType=${type}"
    "CompanyName=Kelvora" "FileDescription=${description}" "FileVersion=${VERSION}"
    "InternalName=${internal}" "LegalCopyright=Copyright (c) 2026 Kelvora"
    "OriginalFilename=${file}" "ProductName=Kelvora" "ProductVersion=${VERSION}")
  string(REPLACE "\n" ";" got "${output}")
  foreach(line IN LISTS expected)
    if(NOT line IN_LIST got)
      fail("${file}'s version block lacks \"${line}\" (${status}):\n${output}${errors}")
    endif()
  endforeach()
endforeach()

# kelvora.exe from the package.
set(exe "C:\\Mach3\\PlugIns\\${NAME}\\kelvora.exe")
execute_process(COMMAND ${WINE_RUN} ${exe} --version TIMEOUT 120 RESULT_VARIABLE status
  OUTPUT_VARIABLE output ERROR_VARIABLE errors)
if(NOT status EQUAL 0 OR NOT output STREQUAL "kelvora ${VERSION}\n")
  fail("kelvora.exe --version gave (${status}): ${output}${errors}")
endif()

# Every command of samples\README.txt, run in the package folder as the README
# says, with -o added: exit 0, nothing on standard error, a program. Every sample
# file is used by at least one of them.
file(STRINGS ${top}/samples/README.txt readme_lines REGEX "^    kelvora ")
file(GLOB samples RELATIVE ${top}/samples ${top}/samples/*.csv ${top}/samples/*.dxf)
set(unused ${samples})
set(count 0)
foreach(line IN LISTS readme_lines)
  string(REGEX REPLACE "^    kelvora " "" arguments "${line}")
  string(STRIP "${arguments}" arguments)
  separate_arguments(arguments WINDOWS_COMMAND "${arguments}")
  math(EXPR count "${count} + 1")
  set(program ${WORK}/programs/sample_${count}.tap)
  windows_path(program_arg ${program})
  execute_process(COMMAND ${WINE_RUN} ${exe} ${arguments} -o ${program_arg}
    WORKING_DIRECTORY ${top} TIMEOUT 120 RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
  set(size 0)
  if(EXISTS ${program})
    file(SIZE ${program} size)
  endif()
  if(NOT status EQUAL 0 OR NOT errors STREQUAL "" OR size EQUAL 0)
    fail("kelvora ${arguments}: exit ${status}, ${size} bytes of program, messages:\n${errors}")
  else()
    message(STATUS "kelvora ${arguments}: ${size} bytes of program")
  endif()
  foreach(sample IN LISTS samples)
    if(arguments MATCHES "samples\\\\${sample}(;|$)")
      list(REMOVE_ITEM unused ${sample})
    endif()
  endforeach()
endforeach()
if(count EQUAL 0)
  fail("samples\\README.txt gives no command")
endif()
if(unused)
  fail("No command of samples\\README.txt runs ${unused}")
endif()

execute_process(COMMAND ${WINE_RUN} --stop OUTPUT_QUIET ERROR_QUIET)
# The prefix takes hundreds of megabytes; the programs stay for a look.
file(REMOVE_RECURSE ${prefix})
get_property(failures GLOBAL PROPERTY package_failures)
if(failures)
  list(LENGTH failures count)
  message(FATAL_ERROR "${count} check(s) of the package failed")
endif()
message(STATUS "The package ${NAME} passed")
