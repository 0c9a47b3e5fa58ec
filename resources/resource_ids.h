// Identifiers shared by main_dialog.rc and the dialog code.
#pragma once

// The main dialog's template.
#define IDD_MAIN 101

// The program's icon: a 32 x 32 and a 16 x 16 image of 256 colours.
#define IDI_MAIN 128

// The main dialog's controls. 1001 to 1010 are the settings, which are
// disabled while playing; IDOK (Play/Stop) and IDCANCEL (Close) are the
// platform's own identifiers.
#define IDC_PATH 1001
#define IDC_BROWSE 1002
#define IDC_CHANNELS 1003
#define IDC_RATE 1004
#define IDC_BITS 1005
#define IDC_OFFSET 1006
#define IDC_LOOP_START 1007
#define IDC_LOOP_END 1008
#define IDC_BLOCK_SIZE 1009
#define IDC_UNSIGNED 1010

// The first and last of the setting controls.
#define IDC_FIRST_SETTING IDC_PATH
#define IDC_LAST_SETTING IDC_UNSIGNED
