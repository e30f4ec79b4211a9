# plover end to end, run by CTest with -DKESTREL=... -DPLOVER=... -DEXAMPLES=... -DWORK=...:
# compile two examples with kestrel, place and burn them with plover, burn the
# same addresses with kestrel's kapop into a copy: both images must be equal,
# and decompiling plover's image must give the scripts back. Patches of the
# burn leave the image alone; plover's and kestrel's symbol files agree.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(COPY ${EXAMPLES}/pointers.ksc ${EXAMPLES}/labels.ksc DESTINATION ${WORK})
set(ENV{KESTREL_LOG_DIR} ${WORK}/log)

function(run)
  execute_process(COMMAND ${ARGN} WORKING_DIRECTORY ${WORK} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "failed (${status}): ${ARGN}\n${out}\n${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

# One code line for kestrel; its ";" must not split it into CMake list items.
function(kestrel line)
  execute_process(COMMAND ${KESTREL} --batch ${SYM} "${line}" WORKING_DIRECTORY ${WORK} RESULT_VARIABLE status
                  OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "kestrel failed (${status}): ${line}\n${err}")
  endif()
endfunction()

kestrel("#boot lumen;#encode pointers.ksc")
kestrel("#boot lumen;#encode labels.ksc")

# An image of 8 KiB of 0xFF.
string(REPEAT "\\377" 8192 octal)
execute_process(COMMAND printf "${octal}" OUTPUT_FILE ${WORK}/game.bin)
file(SIZE ${WORK}/game.bin size)
if(NOT size EQUAL 8192)
  message(FATAL_ERROR "cannot make the image (${size} bytes)")
endif()
file(COPY_FILE ${WORK}/game.bin ${WORK}/kapop.bin)

run(${PLOVER} --batch --image game.bin --place 0x1000 --dry-run pointers.buf labels.buf)
set(plan "${out}")
foreach(line "label pointers.start at &H1000, 17 bytes" "label labels.intro at &H101B, 15 bytes"
        "pointer to pointers.start in buffer 0 at byte 13: &H8001000")
  string(FIND "${plan}" "${line}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the plan lacks '${line}':\n${plan}")
  endif()
endforeach()
# A dry run leaves the image as it was.
file(SHA256 ${WORK}/game.bin after)
file(SHA256 ${WORK}/kapop.bin before)
if(NOT after STREQUAL before)
  message(FATAL_ERROR "--dry-run changed the image")
endif()

# Patches instead of the burn: the image stays as it was.
foreach(format ips bps)
  run(${PLOVER} --batch --image game.bin --place 0x1000 --patch game.${format} --sym patch.${format}.sym
      pointers.buf labels.buf)
  file(SHA256 ${WORK}/game.bin after)
  if(NOT after STREQUAL before)
    message(FATAL_ERROR "--patch game.${format} changed the image")
  endif()
endforeach()
file(READ ${WORK}/game.ips ips HEX)
file(READ ${WORK}/game.bps bps HEX)
# "PATCH", records from 0x001000 on, "EOF"; "BPS1" and the source size 8192 (00 BF).
if(NOT ips MATCHES "^5041544348001000.*454f46$" OR NOT bps MATCHES "^4250533100bf00bf80")
  message(FATAL_ERROR "unexpected patches:\n${ips}\n${bps}")
endif()
execute_process(COMMAND ${PLOVER} --batch --image game.bin --place 0x1000 --patch game.txt pointers.buf
                WORKING_DIRECTORY ${WORK} RESULT_VARIABLE status ERROR_VARIABLE err)
if(NOT status EQUAL 2 OR NOT err MATCHES "\\.ips or \\.bps")
  message(FATAL_ERROR "--patch game.txt: status ${status}, ${err}")
endif()

run(${PLOVER} --batch --image game.bin --place 0x1000 --burn --sym burn.sym pointers.buf labels.buf)
file(READ ${WORK}/burn.sym symbols)
if(NOT symbols MATCHES "^08001000 pointers.start\n.*0800101B labels.intro\n")
  message(FATAL_ERROR "unexpected symbols:\n${symbols}")
endif()
run(${PLOVER} --batch --image game.bin --place 0x1000 --dry-run --sym patch.dry.sym pointers.buf labels.buf)
foreach(format ips bps dry)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/burn.sym ${WORK}/patch.${format}.sym
                  RESULT_VARIABLE differ)
  if(differ)
    message(FATAL_ERROR "the symbols of ${format} differ from those of --burn")
  endif()
endforeach()

# The addresses plover gave, by kapush, into the copy; kestrel lists the same symbols.
set(SYM --sym kapop.sym)
kestrel("#kapeek pointers.buf pointers;#kapeek labels.buf labels;#kapush pointers.start 0x1000;#kapush labels.intro 0x101b;#kapush labels.shop 0x102a;#kapush labels.$jingle 0x1034;#kapop kapop.bin")
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/game.bin ${WORK}/kapop.bin RESULT_VARIABLE differ)
if(differ)
  message(FATAL_ERROR "plover's image differs from kapop's for the same addresses")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/burn.sym ${WORK}/kapop.sym RESULT_VARIABLE differ)
if(differ)
  message(FATAL_ERROR "kestrel's symbols of the burn differ from plover's")
endif()
set(SYM)

kestrel("#boot lumen;#rawdecode game.bin 0x1000 3")
file(READ ${WORK}/game1000.ksc script)
foreach(line "#ORG 0x1000" "#ORG 0x1011" "#ORG 0x1017" "goto &h08001000")
  string(FIND "${script}" "${line}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the decompiled script lacks '${line}':\n${script}")
  endif()
endforeach()
message(STATUS "plover end to end: images equal, scripts back, patches and symbols agree")
