// The program's only window: a modal dialog that gathers the playback
// settings and starts and stops the player.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <shellapi.h>

#include "playback_settings.h"
#include "stream_player.h"
#include "win32/win32_error_messages.h"

// States: Idle (player closed; controls 1001 to 1010 enabled, the play
// button reads "再生") and Playing (those controls disabled, the button reads
// "停止"). Play whose open succeeds goes from Idle to Playing, Stop back;
// Close ends the dialog from either. The play and close buttons stay enabled
// throughout.
//
// Everything runs on the dialog's thread. The settings are written only on
// the Play path, while the player is closed, and are not written back to the
// controls: the fields keep what the user typed. The dialog has no messages
// of its own; the player reports every failure to start.
class MainDialog {
public:
    // The settings, the player and the player's message seam must outlive
    // the dialog; the messages are owned by the dialog's window once it
    // exists.
    MainDialog(HINSTANCE instance, PlaybackSettings& settings, StreamPlayer& player,
               Win32ErrorMessages& messages);

    MainDialog(const MainDialog&) = delete;
    MainDialog& operator=(const MainDialog&) = delete;

    // Shows the dialog from template IDD_MAIN and returns when it has ended:
    // 0 after Close, -1 when the window cannot be created.
    INT_PTR run();

private:
    // Hands each message to its handler and returns FALSE for every message.
    static INT_PTR CALLBACK dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // Icons, the lists in their order, the defaults, accepting drops.
    void onInitDialog(HWND window);
    // Button clicks and Enter/Escape only (notification code 0).
    void onCommand(WPARAM wParam);
    // The first dropped file's path goes into the file field, also while
    // playing; the others are ignored.
    void onDropFiles(HDROP drop);
    // Stops any playback and ends the dialog with result 0.
    void onClose();

    // Reads the controls into the settings, normalises them and starts the
    // player; on success switches to Playing.
    void play();
    // Stops the player and switches to Idle.
    void stopPlaying();
    // The system's open-file dialog; a confirmed choice replaces the file
    // field, a cancelled one changes nothing.
    void browse();
    // Enables or disables controls 1001 to 1010.
    void enableSettings(bool enabled);
    // Loads icon IDI_MAIN at size x size pixels and sets it as the window's
    // big or small icon.
    HICON setIcon(WPARAM which, int size);

    HINSTANCE instance_;
    PlaybackSettings& settings_;
    StreamPlayer& player_;
    Win32ErrorMessages& messages_;
    // The dialog's window, from WM_INITDIALOG on.
    HWND window_ = nullptr;
    // The text buffer for a path taken from the open-file dialog or a drop.
    char pathBuffer_[kPathBytes] = {};
    // The window's icons, destroyed once the window is gone.
    HICON bigIcon_ = nullptr;
    HICON smallIcon_ = nullptr;
};
