// The status bar in three parts: notes on the left (the loader's progress texts, what a search
// did), the caret's line and column, kept current as the caret moves and the text changes, and on
// the right the document's code and terminator. The line is the caret's own number; nothing
// counts lines to show it.
#pragma once
#include "platform/text_code.h"

#include <cstddef>

// The widths in px of the parts that show the caret's place and the document's format.
const int PositionPartWidth = 170;
const int FormatPartWidth = 130;

// Makes the view report every caret move to ShowCaretPosition.
void ConnectCaretStatus();
// Splits the status bar for a main window of this client width.
void LayoutStatusParts(int width);
// "line 行, column 桁", both from 1: the column is in cells, counted in the display row that
// holds the caret (from the row's start when lines wrap). Empty while a load runs: the progress
// texts have the bar until it ends. Sets the text only when it changes, and while further key
// presses or mouse moves wait in the queue, only once they have been handled.
void ShowCaretPosition();
// The left part's text.
void ShowStatusNote(const char* text);
// "UTF-8  LF": the code's name and the terminator's (CRLF, LF or CR).
void DocumentFormatText(TextCode code, unsigned lineEnd, char* text, size_t size);
// Shows the document's code and terminator in the right part, setting the text only when they
// changed. ShowCaretPosition looks for a change too, once no load runs.
void ShowDocumentFormat();
