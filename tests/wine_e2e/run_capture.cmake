# Runs one capture case under Wine with the audio system's default output
# replaced by a file: a private home whose .asoundrc sends the default ALSA
# device to the file plugin (over the null device, so nothing is heard).
#
#   cmake -DEMULATOR=wine -DPROGRAM=... -DCASE=... -DWORK_DIR=... -P run_capture.cmake
foreach(variable EMULATOR PROGRAM CASE WORK_DIR)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "${variable} is not set")
  endif()
endforeach()

set(home "${WORK_DIR}/home")
set(capture "${WORK_DIR}/capture.raw")
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${home}")
file(WRITE "${home}/.asoundrc"
  "pcm.!default { type file; slave.pcm \"null\"; file \"${capture}\"; format \"raw\" }\n")

# Keep the prefix that the caller's home would have given: only ALSA is to
# see the private home.
if(NOT DEFINED ENV{WINEPREFIX})
  set(ENV{WINEPREFIX} "$ENV{HOME}/.wine")
endif()
set(ENV{HOME} "${home}")
# ALSA, not a sound server, takes the output.
if(DEFINED ENV{WINEDLLOVERRIDES} AND NOT "$ENV{WINEDLLOVERRIDES}" STREQUAL "")
  set(ENV{WINEDLLOVERRIDES} "$ENV{WINEDLLOVERRIDES};winepulse.drv=d")
else()
  set(ENV{WINEDLLOVERRIDES} "winepulse.drv=d")
endif()
if(NOT DEFINED ENV{WINEDEBUG})
  set(ENV{WINEDEBUG} "-all")
endif()

# Wine sees the host's files on drive Z:.
execute_process(
  COMMAND ${EMULATOR} "${PROGRAM}" "${CASE}" "Z:${capture}"
  RESULT_VARIABLE result
  TIMEOUT 240)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "capture case ${CASE} failed (${result})")
endif()
