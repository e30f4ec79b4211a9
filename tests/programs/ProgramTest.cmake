# Helpers of the end-to-end test scripts (cmake -P): run a program with its
# standard output and standard error kept apart, and check what came out.
# PROGRAM is the program under test; EMULATOR, when set, runs it (Wine).

string(ASCII 27 ESCAPE)

# run_program(<prefix> WORKING_DIRECTORY dir [COMMAND program...] ARGS arg...):
# runs PROGRAM (or the given command) and
# sets <prefix>_OUT, <prefix>_ERR and <prefix>_STATUS.
function(run_program prefix)
  cmake_parse_arguments(PARSE_ARGV 1 run "" "WORKING_DIRECTORY" "COMMAND;ARGS")
  if(NOT run_COMMAND)
    set(run_COMMAND ${PROGRAM})
  endif()
  execute_process(COMMAND ${EMULATOR} ${run_COMMAND} ${run_ARGS}
                  WORKING_DIRECTORY ${run_WORKING_DIRECTORY}
                  INPUT_FILE ${NULL_INPUT}
                  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
  set(${prefix}_OUT "${out}" PARENT_SCOPE)
  set(${prefix}_ERR "${err}" PARENT_SCOPE)
  set(${prefix}_STATUS "${status}" PARENT_SCOPE)
endfunction()

function(fail what text)
  message(FATAL_ERROR "${what}\n---- text ----\n${text}\n--------------")
endfunction()

function(expect_contains text needle what)
  string(FIND "${text}" "${needle}" at)
  if(at EQUAL -1)
    fail("${what}: '${needle}' is missing" "${text}")
  endif()
endfunction()

function(expect_lacks text needle what)
  string(FIND "${text}" "${needle}" at)
  if(NOT at EQUAL -1)
    string(REPLACE "${ESCAPE}" "<ESC>" shown "${text}")
    string(REPLACE "${ESCAPE}" "<ESC>" needle "${needle}")
    fail("${what}: unexpected '${needle}'" "${shown}")
  endif()
endfunction()

function(expect_status actual expected what)
  if(NOT "${actual}" STREQUAL "${expected}")
    fail("${what}: exit status ${actual}, expected ${expected}" "")
  endif()
endfunction()

if(EXISTS /dev/null)
  set(NULL_INPUT /dev/null)
else()
  set(NULL_INPUT NUL)
endif()
