// Every resource, control and command id of Verbarium, in one place.
// Included by the .rc file and by the dialogs.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Icons
#define IDI_VERBARIUM 128

// Dialog templates
#define IDD_ABOUT 100
#define IDD_MAIN 129
#define IDD_SELECT_TEXT 202
#define IDD_INIT 203
#define IDD_EDIT_TEXT 204
#define IDD_PROGRESS 205

// Menus
#define IDR_ENTRY_CONTEXT_MENU 226

// Main window
#define IDC_EDITION_TABS 1000
#define IDC_LOAD_CFF 1002
#define IDC_IMPORT 1003
#define IDC_EXPORT 1004
#define IDC_SAVE_CFF 1005
#define IDC_PACKER_MISSING 1006
#define IDC_TABLE_LIST 1007
#define IDC_INITIAL_SETTINGS 1009
#define ID_APP_ABOUT 57664

// Baseline setup
// One button per edition, in the editions' order, from this id on; the
// program gives each its text.
#define IDC_BASELINE_EDITION_FIRST 1008

// Entry list
#define IDC_ENTRY_LIST 1001
#define IDC_STATUS_LINE 1011
#define IDC_KEYWORD 1015
#define IDC_SEARCH 1016
#define IDC_SAVE_TABLE 1017

// Entry edit dialog
#define IDC_CURRENT_TEXT 1012
#define IDC_ORIGINAL_TEXT 1013
#define IDC_REPLACE_ALL 1014

// Progress window
#define IDC_PROGRESS_TEXT 1018
#define IDC_PROGRESS_BAR 1019

// Entry list context menu
#define ID_ENTRY_COPY 32772
#define ID_ENTRY_PASTE 32773
#define ID_ENTRY_REVERT 32774
