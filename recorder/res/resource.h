// Resource and control ids of the recorder (shared by the .rc and the code).
#pragma once

#define IDD_KORVANE_DIALOG 102
#define IDI_KORVANE 128
#define IDI_CROSSHAIR 132
#define IDD_PROGRESS 133

#define IDC_RECORD 1000
#define IDC_PAUSE 1001
#define IDC_STOP 1002
#define IDC_OPTIONS 1003
#define IDC_EXIT 1004
#define IDC_PROGRESS_BAR 1025
#define IDC_VIDEO_STATUS 1026
#define IDC_AUDIO_STATUS 1027
#define IDC_HOTKEY_STATUS 1028
#define IDC_WEBLINK 1029
#define IDC_REGION_STATUS 1030

// Short enough to stay on one line in its 90-unit-wide control.
#define KORVANE_WEB_ADDRESS "https://quillory.example"

// The options dialog "Recording Options" and its controls.
#define IDD_OPTIONS 129
#define IDC_NORMAL_REGION 1005
#define IDC_FIXED_REGION 1006
#define IDC_FIXED_WIDTH 1007
#define IDC_FIXED_HEIGHT 1008
#define IDC_COMPRESSOR 1009
#define IDC_QUALITY 1010
#define IDC_FRAME_RATE 1011
#define IDC_RECORD_AUDIO 1012
#define IDC_AUDIO_FORMAT 1013
#define IDC_COMPRESSED_FORMAT 1014
#define IDC_MINIMIZE_ON_START 1015
#define IDC_RECORD_CURSOR 1016
#define IDC_RECORD_PAUSE_KEY 1018
#define IDC_STOP_KEY 1019
#define IDC_CONFIGURE 1020
#define IDC_QUALITY_LABEL 1021
#define IDC_COMPRESSION_FORMAT 1022
#define IDC_VOLUME 1023
#define IDC_SELECT_FIXED_REGION 1024
#define IDC_FULL_SCREEN 1031
#define IDC_WHOLE_DESKTOP 1032

// Texts of the twelve standard recording formats, in the order they are offered.
#define IDS_FORMAT_1M08 131
#define IDS_FORMAT_4S16 142

// The hotkey conflict messages.
#define IDS_KEY_USED_BY_STOP 150
#define IDS_KEY_USED_BY_PAUSE 151

// The main window's system-menu entry that shows the version (a system command id, so
// its low four bits are clear).
#define IDM_ABOUTBOX 0x0010
