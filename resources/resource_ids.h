// Identifiers shared by the resource scripts and the program: resource numbers, command ids and
// the control ids of the dialogs.
#pragma once

#define IDR_MAINMENU 109
#define IDI_TESSARY 107
#define IDI_TESSARY_SMALL 108

#define CMD_NEW 32774
#define CMD_OPEN 32771
#define CMD_CLOSE_AND_OPEN 32775
#define CMD_SAVE 32772
#define CMD_SAVE_AS 32773
#define CMD_PAGE_SETUP 32804
#define CMD_PRINT 32789
#define CMD_EXIT 105
#define CMD_UNDO 32777
#define CMD_REDO 32778
#define CMD_CUT 32779
#define CMD_COPY 32780
#define CMD_PASTE 32781
#define CMD_DELETE 32782
#define CMD_SELECT_ALL 32783
#define CMD_FIND 32787
#define CMD_FIND_NEXT 32800
#define CMD_FIND_PREVIOUS 32801
#define CMD_REPLACE 32802
#define CMD_GO_TO_LINE 32803
#define CMD_NO_WRAP 32791
#define CMD_WRAP_AT_WINDOW 32792
#define CMD_WRAP_AT_COLUMNS 32793
#define CMD_DOCUMENT_INFO 32794
#define CMD_COMMON_SETTINGS 32790
#define CMD_TYPE_SETTINGS 32786
#define CMD_VERSION 32784

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#define IDD_COMMON_SETTINGS 134
#define IDD_TYPE_SETTINGS 135
#define IDD_DOCUMENT_INFO 136
#define IDD_GO_TO_LINE 137
#define IDD_PRINTING 138
#define IDD_OPEN_CODE 139

// Document information dialog
#define IDC_LINE_ENDING 1000
#define IDC_CHARACTER_CODE 1001
#define IDC_FILE_NAME 1002
#define IDC_FILE_SIZE 1003
#define IDC_DISPLAY_TYPE 1004

// Common settings dialog
#define IDC_DEFAULT_LINE_ENDING 1016
#define IDC_DEFAULT_CHARACTER_CODE 1017
#define IDC_NO_WRAP 1018
#define IDC_WRAP_AT_WINDOW 1019
#define IDC_WRAP_AT_COLUMNS 1020
#define IDC_WRAP_COLUMNS 1021
#define IDC_CHANGE_FONT 1022
#define IDC_FONT_SAMPLE 1023
#define IDC_TAB_WIDTH 1025
#define IDC_TEXT_COLOR 1026
#define IDC_BACK_COLOR 1027
#define IDC_COMMENT_COLOR 1028
#define IDC_KEYWORD_COLOR 1029

// Go to line dialog
#define IDC_LINE_RANGE 1030
#define IDC_LINE_NUMBER 1031
#define IDC_LINE_MESSAGE 1032

// The box shown while pages are sent to the printer
#define IDC_PRINT_PROGRESS 1040

// The character code list under the Open dialog. Its id lies outside 1024-1279, the ids of the
// file dialog's own controls, which share the dialog with it.
#define IDC_OPEN_CODE 1300

// File-type settings dialog; its block-comment fields share numbers with two radio buttons above.
#define IDC_LINE_COMMENT 1006
#define IDC_SETTING_NAME 1007
#define IDC_DELETE_SETTING 1008
#define IDC_NEW_SETTING 1009
#define IDC_RENAME_SETTING 1010
#define IDC_KEYWORDS 1011
#define IDC_SECOND_LINE_COMMENT 1012
#define IDC_RUN_COMMAND 1013
#define IDC_BROWSE_COMMAND 1014
#define IDC_BLOCK_COMMENT_START 1019
#define IDC_BLOCK_COMMENT_END 1020
