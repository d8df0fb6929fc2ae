// The 文字コード choice of the Open dialog: a template under the dialog's own controls with a list
// of 自動選択 (the code the file's bytes show) and every code by its name, and the hook that keeps
// what the user picked.
#pragma once
#include "platform/text_code.h"

#include <windows.h>
#include <commdlg.h>

// Gives an Open dialog the list; it opens on 自動選択.
void AddCodeChoice(OPENFILENAMEA& dialog);
// The code picked in the last dialog given the list: TextCodeCount for 自動選択.
TextCode ChosenOpenCode();
// The entries of the list in order: "自動選択", then each code's name.
const char* CodeChoiceText(int index);
const int CodeChoiceCount = TextCodeCount + 1;
