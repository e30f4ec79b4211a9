# kestrel's one-shot tools as a user runs them: the bundled character table
# out to a table file and back into a header, and the round-trip check of a
# bundled example, with their exit statuses and usage errors.
#   cmake -DPROGRAM=kestrel -DWORK=dir -DEXAMPLES=dir [-DEMULATOR=wine] -P TableToolsTest.cmake
include(${CMAKE_CURRENT_LIST_DIR}/ProgramTest.cmake)

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
set(ENV{KESTREL_LOG_DIR} ${WORK}/log)

run_program(exported WORKING_DIRECTORY ${WORK} ARGS --table-export lumen lumen.tbl)
expect_status("${exported_STATUS}" 0 "exporting the bundled table")
file(READ ${WORK}/lumen.tbl table)
expect_contains("${table}" "/FF=~" "the exported table")
expect_contains("${table}" "$F1=[player]" "the exported table")

run_program(imported WORKING_DIRECTORY ${WORK} ARGS --table-import lumen.tbl lumen.ksh)
expect_status("${imported_STATUS}" 0 "importing the exported table")
file(READ ${WORK}/lumen.ksh header)
expect_contains("${header}" "#addctrl ~ finish" "the written header")

file(WRITE ${WORK}/bad.tbl "20=A\n8140=B\n")
run_program(bad WORKING_DIRECTORY ${WORK} ARGS --table-import bad.tbl bad.ksh)
expect_status("${bad_STATUS}" 1 "a table with a two-byte code")
expect_contains("${bad_ERR}" "bad.tbl:2: code 8140 is 2 bytes long" "standard error")

file(COPY ${EXAMPLES}/text.ksc DESTINATION ${WORK}/examples)
run_program(verified WORKING_DIRECTORY ${WORK} ARGS --verify lumen examples/text.ksc)
expect_status("${verified_STATUS}" 0 "the round trip of examples/text.ksc")
expect_contains("${verified_OUT}" "round trip holds" "standard output")
file(GLOB left ${WORK}/examples/*)
list(LENGTH left left_count)
if(NOT left_count EQUAL 1)
  fail("the check left files beside the script" "${left}")
endif()

run_program(usage WORKING_DIRECTORY ${WORK} ARGS --verify lumen)
expect_status("${usage_STATUS}" 2 "--verify with one value")
expect_contains("${usage_ERR}" "Try 'kestrel --help'." "standard error")
run_program(mixed WORKING_DIRECTORY ${WORK} ARGS --verify lumen a.ksc "#boot lumen")
expect_status("${mixed_STATUS}" 2 "--verify with a code line")
