# Policies of the project's CMake version, so that "@DATA@" below stays literal text.
cmake_minimum_required(VERSION 3.25)
# Runs the command line for every case of CASES and compares its standard output
# byte for byte with the golden file. A case line reads
#   golden-file|exit-status|argument|argument|...
# where golden-file is relative to DATA ("-" when the output is not compared) and
# "@DATA@" in an argument stands for DATA_ARG, the same folder as the program
# under test names it (DATA when not given). Lines starting with "#" are comments.
if(NOT DATA_ARG)
  set(DATA_ARG "${DATA}")
endif()
file(STRINGS "${CASES}" lines ENCODING UTF-8)
file(MAKE_DIRECTORY "${WORK}")
set(failures 0)
set(count 0)
foreach(line IN LISTS lines)
  if(line MATCHES "^#" OR line STREQUAL "")
    continue()
  endif()
  string(REPLACE "@DATA@" "${DATA_ARG}" line "${line}")
  string(REPLACE "|" ";" fields "${line}")
  list(POP_FRONT fields golden expected)
  math(EXPR count "${count} + 1")
  set(out "${WORK}/case${count}.out")
  # Both streams go to files: a pipe would make this wait until every process
  # that inherited it has ended (under Wine, its server and services linger).
  execute_process(COMMAND ${EMULATOR} "${KELVORA}" ${fields}
    OUTPUT_FILE "${out}" ERROR_FILE "${out}.err" RESULT_VARIABLE rc)
  file(READ "${out}.err" err)
  if(NOT rc STREQUAL expected)
    message(SEND_ERROR "case ${count} (${line}): exit ${rc}, expected ${expected}\n${err}")
    math(EXPR failures "${failures} + 1")
    continue()
  endif()
  if(NOT golden STREQUAL "-")
    execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${out}" "${DATA}/${golden}"
      RESULT_VARIABLE differs)
    if(differs)
      message(SEND_ERROR "case ${count} (${line}): output differs from ${golden}; see ${out}")
      math(EXPR failures "${failures} + 1")
    endif()
  endif()
endforeach()
message(STATUS "${count} command-line cases, ${failures} failed")
