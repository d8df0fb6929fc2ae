// The status bar in two parts: notes on the left (the loader's progress texts, what a search did)
// and, on the right, the caret's line and column, kept current as the caret moves and the text
// changes. The line is the caret's own number; nothing counts lines to show it.
#pragma once

// The width in px of the part that shows the caret's place.
const int PositionPartWidth = 170;

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
