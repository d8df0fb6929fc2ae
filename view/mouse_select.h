// The mouse in the edit view. A click puts the caret at the boundary nearest to the pointer
// (with Shift it extends the selection) and starts a drag, which selects up to the pointer until
// the button is released or the capture goes. While the pointer stays outside the view or near
// its top or bottom edge, a timer keeps scrolling towards it. A double-click selects a word.
// Points are in view coordinates (px from the client area's top-left corner, negative outside).
#pragma once
#include <windows.h>

void MouseDown(int x, int y, bool extend);
void MouseDrag(int x, int y);
void MouseUp();
// The view lost the mouse capture (released, or taken by another window): any drag ends.
void DragEnded();
void MouseDoubleClick(int x, int y);
// Whether a drag selects: only then does a mouse move move the caret.
bool MouseSelecting();
// WM_TIMER: a tick of the drag's scrolling.
void DragTimerTick(UINT_PTR timer);
