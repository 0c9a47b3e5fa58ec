# Included by the scripts that run a Windows test program under Wine with the
# default audio output sent to a capture file: makes ${WORK_DIR}/home a
# private home whose .asoundrc points ALSA's default device at the file
# plugin over the null device, and sets `capture` to that file's path. The
# Wine prefix stays the caller's; only ALSA is to see the private home.
set(home "${WORK_DIR}/home")
set(capture "${WORK_DIR}/capture.raw")
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${home}")
file(WRITE "${home}/.asoundrc"
  "pcm.!default { type file; slave.pcm \"null\"; file \"${capture}\"; format \"raw\" }\n")

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
