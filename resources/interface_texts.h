// Every interface text that the code hands to the platform's ANSI calls.
// Written here in UTF-8; Windows builds compile with the execution character
// set CP932, so these arrays hold the Shift_JIS bytes the ANSI calls expect.
// The dialog template's own texts are in main_dialog.rc.
#pragma once

// Caption of every error message.
inline constexpr char kTextErrorCaption[] = "エラー";
// Playback start failures, shown by the player.
inline constexpr char kTextFileCannotOpen[] = "ファイルが開けません。";
inline constexpr char kTextDeviceUnsupported[] = "デバイスがサポートしていません。";
inline constexpr char kTextMemoryUnavailable[] = "必要なメモリが確保できません。";
inline constexpr char kTextTimerCannotStart[] = "タイマーを開始できません。";
