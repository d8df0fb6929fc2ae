// The part of the document the edit view shows, its scroll bars, and keeping the caret in view.
// Relayout, ScrollRows and EnsureCaretVisible are the places that walk the line list and move
// the layout state (totals, rowCount, topLine, topRow, vScroll, hScroll); PaintView is the other
// walker. Every scroll ends with an invalidation and leaves placing the caret to the repaint.
#pragma once

// Called by ResetView once the new document is in place, so the window's title and the command
// states can follow it. Null until the application shell sets it.
extern void (*DocumentShown)();
// Called whenever the caret may stand somewhere else on the screen: after a key moved it
// (PlaceCaret), after every edit (AfterEdit), after the lines were measured anew (Relayout) and
// after a command put it somewhere (RevealCaret), so the status bar can show where it is. Null
// until the application sets it.
extern void (*CaretMoved)();

// Installs one empty untitled line as the document and resets the view: the window's first
// document, and what New leaves. Without memory for the line the document has none, which
// every key, paint and command allows for, and the user is told.
void ShowEmptyDocument();
// Makes the font when none is made yet, points the view and caret at the start of firstLine and measures the document.
void ResetView();
// Makes the display font anew from the settings at a DPI (the view's, WindowDpi, or the one a
// DPI change names), with the caret, and measures the document again under its cells.
void ApplyDisplayFont(int dpi);
// The same without measuring, for a caller whose next step measures anyway.
void MakeDisplayFont(int dpi);
// Re-measures every line, adds the row changes to the totals and sets both scroll bars.
void Relayout();
// As Relayout, but every line keeps its rows: for a new size of the view that leaves them as
// they are.
void RefitView();
// Whether lines take other rows when the view's width goes from before to after: only where they
// wrap at the window's edge.
bool RowsFollowWidth(int before, int after);
// While a load runs, measures the lines it added since the last measuring and sets the scroll
// bars; once it has read to the end, measures the rest and repaints, as Relayout would.
void LayoutArrivedLines();
// Scrolls by up to n display rows (positive towards the end), stopping at the document's ends.
void ScrollRows(int n);
// Scrolls by up to n cells (positive to the right) within the horizontal scroll bar's range.
void ScrollColumns(int n);
// Repaints the rows of the lines numbered firstIndex to lastIndex (INT_MAX: to the bottom).
void RepaintLines(int firstIndex, int lastIndex);
// Scrolls just far enough for the caret's point to lie in the client area.
void EnsureCaretVisible();
// After an edit has measured what it changed: the scroll bars take the new extent, the caret is
// scrolled into view and the window is repainted.
void AfterEdit();
// After a command (a search, going to a line) put the caret and the selection somewhere: the
// caret is placed and scrolled into view, and the view repainted.
void RevealCaret();
