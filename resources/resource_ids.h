// Identifiers shared by the resource script and the program: resource numbers and command ids.
#pragma once

#define IDR_MAINMENU 109
#define IDI_TESSARY 107
#define IDI_TESSARY_SMALL 108

#define CMD_NEW 32774
#define CMD_OPEN 32771
#define CMD_CLOSE_AND_OPEN 32775
#define CMD_SAVE 32772
#define CMD_SAVE_AS 32773
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
#define CMD_NO_WRAP 32791
#define CMD_WRAP_AT_WINDOW 32792
#define CMD_WRAP_AT_COLUMNS 32793
#define CMD_DOCUMENT_INFO 32794
#define CMD_COMMON_SETTINGS 32790
#define CMD_TYPE_SETTINGS 32786
#define CMD_VERSION 32784
