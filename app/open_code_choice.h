// The 文字コード list of the Open dialog: a template under the dialog's own controls lists
// 自動選択 (the code the file's bytes show) and then every code by its name, and its hook keeps
// the code that was picked when the name was confirmed.
#pragma once
#include "platform/text_code.h"

#include <windows.h>
#include <commdlg.h>

// Gives an Open dialog the list, which opens on 自動選択. Once the dialog has confirmed a name,
// chosen holds the code picked (TextCodeCount for 自動選択); chosen must outlive the dialog.
void AddCodeChoice(OPENFILENAMEA& dialog, TextCode* chosen);
