// Resource ids of the player: menu commands and the string table.
#pragma once

#define IDM_PLAY 40001
#define IDM_STOP 40002
#define IDM_EXIT 3

#define IDS_VFW_TOO_OLD 1001
#define IDS_REGISTER_FAILED 1002
#define IDS_CREATE_FAILED 1003
#define IDS_CANNOT_OPEN 1004
