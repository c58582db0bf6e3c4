// Resource ids of the Video 1 driver's dialogs.
#pragma once

#define IDD_CONFIGURE 100
#define IDD_ABOUT 101
#define IDC_QUALITY 1001
