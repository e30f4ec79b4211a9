# kestrel installed into a fresh prefix runs from there, from another
# directory, without KESTREL_HOME: it finds wren and the bundled codesets
# relative to its own folder and keeps its log out of the installed tree.
#   cmake -DBUILD_DIR=build -DSOURCE_DIR=src -DWORK=dir -P InstalledTest.cmake
include(${CMAKE_CURRENT_LIST_DIR}/ProgramTest.cmake)

file(REMOVE_RECURSE ${WORK})
set(prefix ${WORK}/prefix)
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix}
                OUTPUT_VARIABLE install_out ERROR_VARIABLE install_out RESULT_VARIABLE install_status)
expect_status("${install_status}" 0 "cmake --install")

set(PROGRAM ${prefix}/bin/kestrel)
foreach(installed bin/kestrel share/kestrel/codesets/base/includes.ksh share/kestrel/codesets/lumen/includes.ksh)
  if(NOT EXISTS ${prefix}/${installed})
    fail("not installed: ${installed}" "${install_out}")
  endif()
endforeach()
file(GLOB_RECURSE wren ${prefix}/*/kestrel/wren.so)
if(NOT wren)
  fail("wren.so is not installed in a kestrel library folder" "${install_out}")
endif()

# The script lives in a folder of its own; nothing points at the build tree.
file(MAKE_DIRECTORY ${WORK}/scripts ${WORK}/home)
file(COPY ${SOURCE_DIR}/examples/pointers.ksc DESTINATION ${WORK}/scripts)
unset(ENV{KESTREL_HOME})
unset(ENV{KESTREL_LOG_DIR})
unset(ENV{XDG_STATE_HOME})
unset(ENV{LD_LIBRARY_PATH})
set(ENV{HOME} ${WORK}/home)

run_program(encode WORKING_DIRECTORY ${WORK}/scripts ARGS --batch "#boot lumen;#encode pointers.ksc")
expect_status("${encode_STATUS}" 0 "the installed kestrel (stderr: ${encode_ERR})")
if(NOT "${encode_ERR}" STREQUAL "")
  fail("the installed kestrel reported on standard error" "${encode_ERR}")
endif()
file(SIZE ${WORK}/scripts/pointers.buf buffer_size)
if(buffer_size EQUAL 0)
  fail("pointers.buf is empty" "${encode_OUT}")
endif()

# plover runs from the installed tree too; its window module lies in the
# library folder, where the program looks for it relative to itself.
if(NOT EXISTS ${prefix}/bin/plover)
  fail("not installed: bin/plover" "${install_out}")
endif()
execute_process(COMMAND ${prefix}/bin/plover --batch --list ${WORK}/scripts/pointers.buf
                WORKING_DIRECTORY ${WORK}/scripts
                OUTPUT_VARIABLE list_out ERROR_VARIABLE list_err RESULT_VARIABLE list_status)
expect_status("${list_status}" 0 "the installed plover --batch --list (stderr: ${list_err})")
if(NOT list_out MATCHES "Offsetts:\n  pointers\\.")
  fail("the installed plover did not list pointers.buf's labels" "${list_out}")
endif()
if(EXISTS ${BUILD_DIR}/bin/plover_window.so)
  file(GLOB_RECURSE window ${prefix}/*/kestrel/plover_window.so)
  if(NOT window)
    fail("plover_window.so is not installed in a kestrel library folder" "${install_out}")
  endif()
endif()

# The log goes to the user's state folder, never into the installed tree.
file(GLOB logs ${WORK}/home/.local/state/kestrel/log/*.log)
if(NOT logs)
  fail("no log file in the user's state folder" "${encode_OUT}")
endif()
file(GLOB_RECURSE stray ${prefix}/*.log)
if(stray)
  fail("a log file was written into the installed tree" "${stray}")
endif()
