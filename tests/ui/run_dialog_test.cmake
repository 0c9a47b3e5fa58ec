# Runs one dialog test under Wine (or directly, with no emulator) with the
# Japanese locale, so that the program's code page 932 texts show as they
# do on a Japanese system, and with the default audio output sent to a
# capture file: a private home whose .asoundrc points ALSA's default device
# at the file plugin over the null device.
#
#   cmake -DEMULATOR=wine -DPROGRAM=... -DCASE=... -DWORK_DIR=... -P run_dialog_test.cmake
foreach(variable PROGRAM CASE WORK_DIR)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "${variable} is not set")
  endif()
endforeach()

if(EMULATOR)
  include(${CMAKE_CURRENT_LIST_DIR}/../capture_home.cmake)
  set(ENV{LANG} "ja_JP.UTF-8")
  set(ENV{LC_ALL} "ja_JP.UTF-8")
  if(NOT DEFINED ENV{DISPLAY})
    message(FATAL_ERROR "the dialog tests need a display (DISPLAY); tools/test starts one")
  endif()
  # Wine sees the host's files on drive Z:.
  set(ENV{QUORVEL_DIALOG_CAPTURE} "Z:${capture}")
endif()

execute_process(
  COMMAND ${EMULATOR} "${PROGRAM}" "--gtest_filter=${CASE}"
  RESULT_VARIABLE result
  TIMEOUT 150)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "dialog test ${CASE} failed (${result})")
endif()
