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

#define KORVANE_WEB_ADDRESS "https://quillory.example/korvane"
