# scripts/check-layers over this tree and over a small tree with one fault of
# each kind. -DCHECK=<script> -DSOURCE_DIR=<project> -DWORK=<scratch folder>
function(run_check root out_status out_text)
  execute_process(COMMAND bash ${CHECK} ${root} RESULT_VARIABLE status OUTPUT_VARIABLE text ERROR_VARIABLE text)
  set(${out_status} ${status} PARENT_SCOPE)
  set(${out_text} "${text}" PARENT_SCOPE)
endfunction()

function(expect_line text line)
  string(FIND "${text}" "${line}" at)
  if(at EQUAL -1)
    message(SEND_ERROR "check-layers did not report\n  ${line}\nIt printed:\n${text}")
  endif()
endfunction()

# The project itself keeps its layers.
run_check(${SOURCE_DIR} status text)
if(NOT status EQUAL 0 OR NOT text STREQUAL "")
  message(SEND_ERROR "check-layers fails on the project (status ${status}):\n${text}")
endif()

# A tree where every file but the clean ones breaks one rule, at a known line.
file(REMOVE_RECURSE ${WORK})
file(WRITE ${WORK}/text/Low.h "#pragma once\n#include <string>\n#include \"text/Other.h\"\n#include \"Other.h\"\n")
file(WRITE ${WORK}/text/Other.h "#pragma once\n")
file(WRITE ${WORK}/text/Up.cpp "#include \"text/Low.h\"\n\n#include \"services/Files.h\"\n")
file(WRITE ${WORK}/services/Files.h "#pragma once\n#include \"platform/Platform.h\"\n#include \"text/Low.h\"\n")
file(WRITE ${WORK}/services/Native.cpp "#include <vector>\n#include <unistd.h>\n#include <sys/stat.h>\n")
file(WRITE ${WORK}/services/Quoted.cpp "#include \"windows.h\"\n")
file(WRITE ${WORK}/services/Climb.cpp "#include \"../engine/Control.h\"\n")
file(WRITE ${WORK}/services/Posix.cpp "// The interface folder does not open its implementations.\n#include \"platform/posix/PosixPlatform.h\"\n")
file(WRITE ${WORK}/platform/Platform.h "#pragma once\n#include \"codec/Wren.h\"\n")
file(WRITE ${WORK}/platform/posix/PosixPlatform.h "#pragma once\n#include <unistd.h>\n#include \"platform/Platform.h\"\n#include \"text/Low.h\"\n")
file(WRITE ${WORK}/codec/Wren.h "#pragma once\n#include \"text/TextKit.h\"\n#include \"text/Low.h\"\n")
file(WRITE ${WORK}/engine/Control.h "#pragma once\n#include \"codec/Wren.h\"\n#include \"codec/CollectTab.h\"\n#include \"bufferwriter/BufList.h\"\n")
file(WRITE ${WORK}/programs/main.cpp "#include \"bufferwriter/BufList.h\"\n#include <unistd.h>\n")

run_check(${WORK} status text)
if(NOT status EQUAL 1)
  message(SEND_ERROR "check-layers ended with status ${status} on a faulty tree, not 1:\n${text}")
endif()
expect_line("${text}" "text/Up.cpp:3: text/ may not include \"services/Files.h\"")
expect_line("${text}" "services/Native.cpp:2: <unistd.h> is not a standard C++ header")
expect_line("${text}" "services/Native.cpp:3: <sys/stat.h> is not a standard C++ header")
expect_line("${text}" "services/Quoted.cpp:1: \"windows.h\" is not a header of this project")
expect_line("${text}" "services/Climb.cpp:1: \"../engine/Control.h\" climbs out of services/")
expect_line("${text}" "services/Posix.cpp:2: services/ may not include \"platform/posix/PosixPlatform.h\"")
expect_line("${text}" "codec/Wren.h:3: codec/ may not include \"text/Low.h\"")
expect_line("${text}" "engine/Control.h:3: engine/ may not include \"codec/CollectTab.h\"")
expect_line("${text}" "engine/Control.h:4: engine/ may not include \"bufferwriter/BufList.h\"")
# Exactly those nine: the native layer may use the system, the programs sit
# above every layer, and includes from below or beside a file pass.
string(REPLACE ";" "," lines "${text}")
string(REGEX MATCHALL "[^\n]*:[0-9]+: [^\n]*" reports "${lines}")
list(LENGTH reports count)
if(NOT count EQUAL 9)
  message(SEND_ERROR "check-layers reported ${count} includes, not 9:\n${text}")
endif()

# Usage errors.
run_check(${WORK}/missing status text)
if(NOT status EQUAL 2 OR NOT text MATCHES "missing: no such folder")
  message(SEND_ERROR "a missing folder gave status ${status}:\n${text}")
endif()
