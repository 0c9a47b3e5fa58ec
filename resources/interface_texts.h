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

// The main dialog's texts that the code sets (the template's own are in
// main_dialog.rc): the play button's two captions, and the open-file
// dialog's filter, a description and its pattern, each zero-terminated, with
// one more zero closing the list.
inline constexpr char kTextPlay[] = "再生";
inline constexpr char kTextStop[] = "停止";
inline constexpr char kTextAllFilesFilter[] = "すべてのファイル (*.*)\0*.*\0";
