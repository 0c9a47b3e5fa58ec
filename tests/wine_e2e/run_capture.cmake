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

include(${CMAKE_CURRENT_LIST_DIR}/../capture_home.cmake)

# Wine sees the host's files on drive Z:.
execute_process(
  COMMAND ${EMULATOR} "${PROGRAM}" "${CASE}" "Z:${capture}"
  RESULT_VARIABLE result
  TIMEOUT 240)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "capture case ${CASE} failed (${result})")
endif()
