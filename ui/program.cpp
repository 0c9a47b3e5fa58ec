#include "program.h"

#include "main_dialog.h"
#include "platform_input_file.h"
#include "playback_settings.h"
#include "stream_player.h"
#include "win32/win32_audio_output.h"
#include "win32/win32_error_messages.h"
#include "win32/win32_periodic_timer.h"

int runProgram(HINSTANCE instance) {
    PlaybackSettings settings;
    PlatformInputFile file;
    Win32AudioOutput device;
    Win32PeriodicTimer timer;
    Win32ErrorMessages messages;
    StreamPlayer player(settings, file, device, timer, messages);
    MainDialog dialog(instance, settings, player, messages);
    return static_cast<int>(dialog.run());
}
