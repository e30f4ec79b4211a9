# kestrel in batch mode into pipes: the console echo goes to standard output,
# diagnostics and the error summary to standard error and the log, and no
# banner or terminal escape reaches either stream.
#   cmake -DPROGRAM=kestrel -DWORK=dir [-DEMULATOR=wine] -P StreamsTest.cmake
include(${CMAKE_CURRENT_LIST_DIR}/ProgramTest.cmake)

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/broken)
file(WRITE ${WORK}/broken/install.ksc "#include nowhere.ksh\n")
set(ENV{KESTREL_LOG_DIR} ${WORK}/log)

# An error inside a script, then the summary.
run_program(missing WORKING_DIRECTORY ${WORK} ARGS --batch "#cls;#install broken")
expect_status("${missing_STATUS}" 1 "a run with an error")
set(diagnostic "install.ksc:1: cannot open include file 'nowhere.ksh'")
expect_contains("${missing_ERR}" "${diagnostic}" "standard error")
expect_contains("${missing_ERR}" "kestrel: 1 error reported" "standard error")
expect_lacks("${missing_OUT}" "cannot open include file" "standard output")
expect_lacks("${missing_OUT}" "error reported" "standard output")
expect_contains("${missing_OUT}" "#PROCESS: " "standard output (the console echo)")
expect_lacks("${missing_OUT}" "WELCOME" "standard output in batch mode")
expect_lacks("${missing_OUT}" "${ESCAPE}" "standard output in batch mode")
expect_lacks("${missing_ERR}" "${ESCAPE}" "standard error in batch mode")
# The diagnostic line comes before the summary on standard error.
string(FIND "${missing_ERR}" "${diagnostic}" at_diagnostic)
string(FIND "${missing_ERR}" "kestrel: 1 error" at_summary)
if(at_summary LESS at_diagnostic)
  fail("the summary precedes the diagnostic" "${missing_ERR}")
endif()

# The log file keeps the diagnostic and the summary as well.
file(GLOB logs ${WORK}/log/*.log)
list(LENGTH logs log_count)
if(NOT log_count EQUAL 1)
  fail("expected one log file in ${WORK}/log" "${logs}")
endif()
file(READ ${logs} log_text)
expect_contains("${log_text}" "${diagnostic}" "the log file")
expect_contains("${log_text}" "kestrel: 1 error reported" "the log file")

# A hidden console still reports errors; only its echo is gone.
run_program(silent WORKING_DIRECTORY ${WORK} ARGS --batch "#silent on;#include nowhere.ksh")
expect_status("${silent_STATUS}" 1 "a silent run with an error")
expect_contains("${silent_ERR}" "cannot open include file 'nowhere.ksh'" "standard error of a silent run")
if(NOT "${silent_OUT}" STREQUAL "")
  fail("a silent run wrote to standard output" "${silent_OUT}")
endif()

# A clean run says nothing on standard error.
run_program(clean WORKING_DIRECTORY ${WORK} ARGS --batch "#install lumen")
expect_status("${clean_STATUS}" 0 "installing the bundled codeset")
if(NOT "${clean_ERR}" STREQUAL "")
  fail("a run without errors wrote to standard error" "${clean_ERR}")
endif()

# An error two includes deep: standard error names the chain of includers,
# innermost first; the log file keeps the diagnostic alone.
file(MAKE_DIRECTORY ${WORK}/trail)
file(WRITE ${WORK}/trail/story.ksc "#org start\n#include chapter.ksc\nend\n")
file(WRITE ${WORK}/trail/chapter.ksc "wait 10\nface hero left\n#include scene.ksc\n")
file(WRITE ${WORK}/trail/scene.ksc "wait 5\ngto start\n")
set(ENV{KESTREL_LOG_DIR} ${WORK}/trail-log)
run_program(trail WORKING_DIRECTORY ${WORK}/trail ARGS --batch "#boot lumen;#encode story.ksc")
expect_status("${trail_STATUS}" 1 "a run with an error in an included script")
string(REPLACE "\r" "" trail_ERR "${trail_ERR}")
set(trail_lines "scene.ksc:2: unknown command 'gto'\n  included from chapter.ksc:3\n  included from story.ksc:2\n")
expect_contains("${trail_ERR}" "${trail_lines}kestrel: 1 error reported" "standard error")
expect_lacks("${trail_OUT}" "included from" "standard output")
file(GLOB trail_logs ${WORK}/trail-log/*.log)
list(GET trail_logs 0 trail_log)
file(READ ${trail_log} trail_log_text)
expect_contains("${trail_log_text}" "scene.ksc:2: unknown command 'gto'" "the log file")
expect_lacks("${trail_log_text}" "included from" "the log file")
