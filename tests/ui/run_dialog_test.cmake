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

set(home "${WORK_DIR}/home")
set(capture "${WORK_DIR}/capture.raw")
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${home}")

if(EMULATOR)
  file(WRITE "${home}/.asoundrc"
    "pcm.!default { type file; slave.pcm \"null\"; file \"${capture}\"; format \"raw\" }\n")
  # Only ALSA is to see the private home: keep the caller's prefix.
  if(NOT DEFINED ENV{WINEPREFIX})
    set(ENV{WINEPREFIX} "$ENV{HOME}/.wine")
  endif()
  set(ENV{HOME} "${home}")
  if(DEFINED ENV{WINEDLLOVERRIDES} AND NOT "$ENV{WINEDLLOVERRIDES}" STREQUAL "")
    set(ENV{WINEDLLOVERRIDES} "$ENV{WINEDLLOVERRIDES};winepulse.drv=d")
  else()
    set(ENV{WINEDLLOVERRIDES} "winepulse.drv=d")
  endif()
  if(NOT DEFINED ENV{WINEDEBUG})
    set(ENV{WINEDEBUG} "-all")
  endif()
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
