// Identifiers of the canvas window's dialog and of the tree description,
// print settings and version information dialogs. Included by
// res/canvaswin.rc (through windres) and by the C++ sources of those windows.
#pragma once

// Dialogs.
#define CW_IDD_ABOUT 110
#define CW_IDD_CANVAS_WINDOW 120
#define CW_IDD_TREE_DESCRIPTION 121
#define CW_IDD_PRINT_SETTINGS 128

// Canvas window (120).
#define CW_IDC_ZOOM 1041
#define CW_IDC_NAMES 1047

// Tree description (121).
#define CW_IDC_TREE_TYPE 1002
#define CW_IDC_TREE_NAME 1051
#define CW_IDC_TREE_FILE 1052
#define CW_IDC_TREE_ORIGIN 1053
#define CW_IDC_TREE_BREED 1054  // the breeding button

// Version information (110).
#define CW_IDC_HOMEPAGE 1015

// Print settings (128).
#define CW_IDC_PRINT_FIT 1005
#define CW_IDC_PRINT_FILL 1006
#define CW_IDC_PRINT_FACTORS 1007
#define CW_IDC_PRINT_MM 1008
#define CW_IDC_PRINT_CENTRE 1009
#define CW_IDC_PRINT_FACTOR_W 1010
#define CW_IDC_PRINT_FACTOR_H 1011
#define CW_IDC_PRINT_MM_W 1012
#define CW_IDC_PRINT_MM_H 1013
#define CW_IDC_PRINT_KEEP_ASPECT 1167
