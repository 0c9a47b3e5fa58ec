// The program's entry: makes the process-wide instances (the settings, the
// Win32 side of each engine seam, the player) and runs the main dialog.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "main_dialog.h"
#include "platform_input_file.h"
#include "playback_settings.h"
#include "stream_player.h"
#include "win32/win32_audio_output.h"
#include "win32/win32_error_messages.h"
#include "win32/win32_periodic_timer.h"

// The command line and the show-window request are not used: the program
// always starts with the same defaults, and a dialog shows itself.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    PlaybackSettings settings;
    PlatformInputFile file;
    Win32AudioOutput device;
    Win32PeriodicTimer timer;
    Win32ErrorMessages messages;
    StreamPlayer player(settings, file, device, timer, messages);
    MainDialog dialog(instance, settings, player, messages);
    // The dialog's result is the exit code: 0 after Close, -1 when the
    // window cannot be created.
    return static_cast<int>(dialog.run());
}
