// Identifiers of the wallpaper changer's dialog and of the pages of the
// application settings sheet. Included by res/changer.rc and by the C++
// sources of those windows.
#pragma once
#include "commands.h"

// Dialogs.
#define IDD_CHANGER 119
#define IDD_SETTINGS_BASIC 111
#define IDD_SETTINGS_BEHAVIOUR 112
#define IDD_SETTINGS_ASSOCIATIONS 113
#define IDD_SETTINGS_LIGHTING 115
#define IDD_SETTINGS_OPTIONS 116

// Icons of the associated documents: ".syl" uses the program's icon number 2
// and ".ki" number 3 (counted in resource order after the program's own two,
// 108 and 109, so these ids must stay above those and below any later icon).
#define IDI_CANVAS_DOCUMENT 130
#define IDI_TREE_DOCUMENT 131

// Wallpaper changer (119).
#define IDC_CHANGER_LIST 1033
#define IDC_CHANGER_MODE 1041
#define IDC_CHANGER_SORT 1047
#define IDC_CHANGER_GARDEN 1131
#define IDC_CHANGER_PICTURE 1132
// Invisible buttons whose ids serve the changer as internal commands.
#define IDC_CHANGER_LIST_KEYUP 1043
#define IDC_CHANGER_RADIO1_DOWN 1044
#define IDC_CHANGER_RADIO2_DOWN 1045
#define IDC_CHANGER_LIST_KEYDOWN 1048
// The changer's skin buttons send commands of the catalogue (commands.h).
#define CMD_CHANGER_CLOSE CMD_EXIT

// Basic page (111).
#define IDC_SET_SOUND_ON 1002
#define IDC_SET_SOUND_LIST 1033
#define IDC_SET_SOUND_TEST 1248
#define IDC_SET_MUTANT_ASK 1018
#define IDC_SET_MUTANT_NEVER 1019
#define IDC_SET_MUTANT_AUTO 1020
#define IDC_SET_MUTANT_FILES 1021
#define IDC_SET_EXIT_NONE 1010
#define IDC_SET_EXIT_AUTO 1008
#define IDC_SET_EXIT_ASK 1009
#define IDC_SET_WALL_TILE 1011
#define IDC_SET_WALL_CENTRE 1017
#define IDC_SET_WALL_FIT 1022

// Behaviour page (112).
#define IDC_SET_LOOP 1015
#define IDC_SET_SPLIT 1016
#define IDC_SET_RISING_ANYWHERE 1026
#define IDC_SET_SCATTER_FIXED 1027
#define IDC_SET_SCATTER_ASK 1028
#define IDC_SET_SCATTER_COUNT 1030
#define IDC_SET_SCATTER_RADIUS 1031
#define IDC_SET_IRREGULARITY_SLIDER 1049
#define IDC_SET_IRREGULARITY 1050

// Associations page (113).
#define IDC_SET_ASSOC_SYL 1012
#define IDC_SET_ASSOC_KI 1013
#define IDC_SET_STARTUP 1014

// Lighting page (115).
#define IDC_SET_LIGHTING_LIST 1033

// Options page (116): the options of "sylvane-options.ini".
#define IDC_OPT_DIARY 1301
#define IDC_OPT_DIARY_MB 1302
#define IDC_OPT_PER_MONITOR 1303
#define IDC_OPT_CATCH_UP 1304
#define IDC_OPT_FOLLOW_SUN 1305
#define IDC_OPT_LATITUDE 1306
#define IDC_OPT_LONGITUDE 1307
#define IDC_OPT_UTC_OFFSET 1308
#define IDC_OPT_SUN_TIMES 1309
