# cmake -DPROGRAM=<built program> -DSTRIPPED=<file> -DDEBUG_ROOT=<folder> -P SplitDebug.cmake
#
# Splits a built program as Debian's packages have it: STRIPPED is the
# program without symbols, debug information or the compiler's banner, and
# DEBUG_ROOT/.build-id/xx/yyyy.debug its debug information (compressed), named
# by the program's build id, where debuggers look for it. DEBUG_ROOT holds
# this program's debug file only: an earlier build's is removed.

foreach(tool objcopy readelf)
  find_program(${tool}_program ${tool} REQUIRED)
endforeach()

execute_process(COMMAND ${readelf_program} -n ${PROGRAM}
                OUTPUT_VARIABLE notes COMMAND_ERROR_IS_FATAL ANY)
if(NOT notes MATCHES "Build ID: ([0-9a-f][0-9a-f])([0-9a-f]+)")
  message(FATAL_ERROR "${PROGRAM} has no build id")
endif()
set(debug_file ${DEBUG_ROOT}/.build-id/${CMAKE_MATCH_1}/${CMAKE_MATCH_2}.debug)

file(REMOVE_RECURSE ${DEBUG_ROOT})
get_filename_component(debug_folder ${debug_file} DIRECTORY)
file(MAKE_DIRECTORY ${debug_folder})
execute_process(
  COMMAND ${objcopy_program} --only-keep-debug --compress-debug-sections ${PROGRAM} ${debug_file}
  COMMAND_ERROR_IS_FATAL ANY)
execute_process(
  COMMAND ${objcopy_program} --strip-all --remove-section=.comment --remove-section=.note
          ${PROGRAM} ${STRIPPED}
  COMMAND_ERROR_IS_FATAL ANY)
# The debug file is data, not a program.
file(CHMOD ${debug_file} PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
