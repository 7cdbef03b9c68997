# The Debian package tried as a LinuxCNC or GRBL user would: its control fields
# read, the package unpacked with dpkg-deb into a scratch folder, its files
# looked for (the program stripped, the manual page readable by man, the guide
# with every link working), and the unpacked kelvora run on every sample with the
# command that samples/README.txt gives for it, in the folder the README names.
#
#   cmake -DDEB=kelvora_<version>_<arch>.deb -DVERSION=<version> -DARCH=<arch>
#         -DREADELF=... -DWORK=<folder> -P run_deb_test.cmake
cmake_minimum_required(VERSION 3.25)
foreach(var DEB VERSION ARCH READELF WORK)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "run_deb_test.cmake needs -D${var}=...")
  endif()
endforeach()

# A failed check is reported and the others still run; any makes the test fail.
function(fail message)
  message(SEND_ERROR "${message}")
  set_property(GLOBAL APPEND PROPERTY package_failures x)
endfunction()

if(NOT EXISTS ${DEB})
  message(FATAL_ERROR "No package to try: ${DEB}")
endif()
get_filename_component(deb_name ${DEB} NAME)
if(NOT deb_name STREQUAL "kelvora_${VERSION}_${ARCH}.deb")
  fail("The package is named ${deb_name}, not kelvora_${VERSION}_${ARCH}.deb")
endif()
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/programs)
set(root ${WORK}/root)

# The control fields apt shows and resolves.
set(fields Package Version Architecture Depends Depends Description)
set(patterns "^kelvora$" "^${VERSION}$" "^${ARCH}$" "(^|, )libc6 \\(>= " "(^|, )libstdc\\+\\+6 \\(>= "
  "^G-code")
foreach(name pattern IN ZIP_LISTS fields patterns)
  execute_process(COMMAND dpkg-deb --field ${DEB} ${name} RESULT_VARIABLE status
    OUTPUT_VARIABLE value ERROR_VARIABLE errors OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT status EQUAL 0 OR NOT value MATCHES "${pattern}")
    fail("The package's ${name} is \"${value}\", expected \"${pattern}\" (${status}) ${errors}")
  endif()
endforeach()

# Installed files belong to root, the program executable by all, nothing else
# writable by others than root.
execute_process(COMMAND dpkg-deb --contents ${DEB} RESULT_VARIABLE status OUTPUT_VARIABLE listing)
if(NOT status EQUAL 0)
  fail("dpkg-deb --contents failed (${status})")
endif()
string(REPLACE "\n" ";" listing "${listing}")
foreach(line IN LISTS listing)
  if(line STREQUAL "")
    continue()
  endif()
  if(NOT line MATCHES "^[-dl]r[-w][-x]r-[-x]r-[-x] root/root ")
    fail("Not as installed files should be: ${line}")
  endif()
endforeach()
if(NOT listing MATCHES "-rwxr-xr-x root/root [^;]* \\./usr/bin/kelvora(;|$)")
  fail("/usr/bin/kelvora is not an executable file of the package")
endif()

execute_process(COMMAND dpkg-deb -x ${DEB} ${root} RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "dpkg-deb -x failed (${status}): ${errors}")
endif()
set(doc ${root}/usr/share/doc/kelvora)
set(kelvora ${root}/usr/bin/kelvora)
foreach(required usr/bin/kelvora usr/share/man/man1/kelvora.1.gz usr/share/doc/kelvora/copyright
                 usr/share/doc/kelvora/operator-guide.html usr/share/doc/kelvora/operator-guide.md
                 usr/share/doc/kelvora/samples/README.txt)
  if(NOT EXISTS ${root}/${required})
    fail("/${required} is missing from the package")
  endif()
endforeach()

# Stripped: no symbol table and no debugging sections.
execute_process(COMMAND ${READELF} --section-headers --wide ${kelvora} RESULT_VARIABLE status
  OUTPUT_VARIABLE sections ERROR_VARIABLE errors)
if(NOT status EQUAL 0 OR sections MATCHES "\\.symtab|\\.debug_")
  fail("/usr/bin/kelvora is not stripped (${status}):\n${sections}${errors}")
endif()
file(SIZE ${kelvora} size)
message(STATUS "/usr/bin/kelvora: ${size} bytes")

# The manual page as man shows it, with the program's usage and our sections.
execute_process(COMMAND ${CMAKE_COMMAND} -E env MANPAGER=cat PAGER=cat MANWIDTH=80
    man -l ${root}/usr/share/man/man1/kelvora.1.gz
  RESULT_VARIABLE status OUTPUT_VARIABLE page ERROR_VARIABLE errors)
foreach(part "NAME" "kelvora - G-code programs" "SYNOPSIS|USAGE" "DESCRIPTION" "EXAMPLES"
             "/usr/share/doc/kelvora/operator-guide.html" "--dialect")
  if(NOT page MATCHES "${part}")
    fail("man -l kelvora.1.gz (${status}) shows no \"${part}\":\n${page}${errors}")
    break()
  endif()
endforeach()

include(${CMAKE_CURRENT_LIST_DIR}/check_guide.cmake)
kelvora_check_guide(${doc})

execute_process(COMMAND ${kelvora} --version RESULT_VARIABLE status OUTPUT_VARIABLE output
  ERROR_VARIABLE errors)
if(NOT status EQUAL 0 OR NOT output STREQUAL "kelvora ${VERSION}\n")
  fail("kelvora --version gave (${status}): ${output}${errors}")
endif()

# Every command of samples/README.txt, run in the doc folder as the README says,
# with -o added: exit 0, nothing on standard error, a program. Every sample file
# is used by at least one of them.
file(READ ${doc}/samples/README.txt readme)
if(NOT readme MATCHES "in /usr/share/doc/kelvora" OR readme MATCHES "samples\\\\|kelvora\\.exe")
  fail("samples/README.txt still gives the Windows commands:\n${readme}")
endif()
file(STRINGS ${doc}/samples/README.txt readme_lines REGEX "^    kelvora ")
file(GLOB samples RELATIVE ${doc}/samples ${doc}/samples/*.csv ${doc}/samples/*.dxf)
set(unused ${samples})
set(count 0)
foreach(line IN LISTS readme_lines)
  string(REGEX REPLACE "^    kelvora " "" arguments "${line}")
  string(STRIP "${arguments}" arguments)
  separate_arguments(arguments UNIX_COMMAND "${arguments}")
  math(EXPR count "${count} + 1")
  set(program ${WORK}/programs/sample_${count}.nc)
  execute_process(COMMAND ${kelvora} ${arguments} -o ${program} WORKING_DIRECTORY ${doc}
    TIMEOUT 120 RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
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
    if(arguments MATCHES "samples/${sample}(;|$)")
      list(REMOVE_ITEM unused ${sample})
    endif()
  endforeach()
endforeach()
if(count EQUAL 0)
  fail("samples/README.txt gives no command")
endif()
if(unused)
  fail("No command of samples/README.txt runs ${unused}")
endif()

get_property(failures GLOBAL PROPERTY package_failures)
if(failures)
  list(LENGTH failures count)
  message(FATAL_ERROR "${count} check(s) of the Debian package failed")
endif()
message(STATUS "The package ${deb_name} passed")
