// The eight keyboard moves of the caret, and where the caret appears in the edit view. The moves
// change only View.caret; placing the system caret and scrolling are separate steps after them.
#pragma once
#include "layout/row_layout.h"

// Whole display rows in the client area.
int PageRows();

void MoveHome();
void MoveEnd();
void MoveLeft();
void MoveRight();
void MoveUp();
void MoveDown();
void PageUp();
void PageDown();

// The caret's position in view coordinates, found by walking the visible lines from topLine with
// their cached rowCount; (CaretParked, CaretParked) when its line is above topLine or starts at
// or below the bottom edge. Painting must place the caret by the same rule.
LayoutPoint CaretViewPoint();

// Moves the system caret to CaretViewPoint. Defined in place_caret.cpp, Windows build only.
void PlaceCaret();
