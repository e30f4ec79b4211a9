# kestrel on a terminal: the banner and the screen clearing of `cls` belong
# to an interactive console; a batch run on the same terminal gets neither.
#   cmake -DPROGRAM=kestrel -DPTY_RUN=pty_run -DWORK=dir -P TerminalTest.cmake
include(${CMAKE_CURRENT_LIST_DIR}/ProgramTest.cmake)

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
set(ENV{KESTREL_LOG_DIR} ${WORK}/log)
set(clear "${ESCAPE}[2J")

run_program(batch WORKING_DIRECTORY ${WORK} COMMAND ${PTY_RUN} ${PROGRAM} ARGS --batch "#install lumen;#cls;#exit")
expect_status("${batch_STATUS}" 0 "a batch run on a terminal")
expect_contains("${batch_OUT}" "#PROCESS: " "a batch run on a terminal")
expect_lacks("${batch_OUT}" "WELCOME TO KESTREL" "a batch run on a terminal")
expect_lacks("${batch_OUT}" "${ESCAPE}" "a batch run on a terminal")

# `exit` on the command line ends the run before the console reads a line.
run_program(console WORKING_DIRECTORY ${WORK} COMMAND ${PTY_RUN} ${PROGRAM} ARGS "#cls;#exit")
expect_status("${console_STATUS}" 0 "the console on a terminal")
expect_contains("${console_OUT}" "WELCOME TO KESTREL" "the console on a terminal")
expect_contains("${console_OUT}" "${clear}" "the console on a terminal")
