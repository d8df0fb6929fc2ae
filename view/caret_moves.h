// The keyboard moves of the caret, where the caret appears in the edit view, and which place a
// point of the view shows. The moves change only View.caret; placing the system caret and
// scrolling are separate steps after them.
//
// Where the rest of the caret's life is:
// - made and destroyed with the focus, as wide as a cell in overwrite mode: CaretCreate and
//   WM_KILLFOCUS in view/edit_view.cpp;
// - moved by a key: these moves, then PlaceCaret (place_caret.cpp, through CaretViewPoint) and
//   EnsureCaretVisible (viewport.cpp), in that order, under the document lock;
// - moved by the mouse: PlaceAtPoint, then the same steps (view/mouse_select.cpp);
// - moved by typing: InsertText (char_input.cpp) steps caret.pos or takes it to the new line;
//   the repaint then places it;
// - placed by painting where its position is drawn, or parked at CaretParked when no painted
//   row holds it (layout/paint_view.cpp), by the same view coordinates as CaretViewPoint
//   (ViewOriginX, TopLineY in layout/row_layout.h);
// - put on the first line by ResetView (viewport.cpp), and cleared with the lines by
//   DiscardLines (document/editor_record.cpp), after which every move is skipped.
#pragma once
#include "document/editor_record.h"
#include "layout/row_layout.h"

class TextLine;

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
// Ctrl+Home and Ctrl+End.
void MoveDocumentStart();
void MoveDocumentEnd();
// Ctrl+Left and Ctrl+Right: to the start of the word before or after the caret, blanks being
// passed over, or across the line break at the line's ends.
void MoveWordLeft();
void MoveWordRight();

// Within a line: where a word move from pos lands (the line's ends at the most).
int WordLeftOf(const TextLine& line, int pos);
int WordRightOf(const TextLine& line, int pos);

// The caret's position in view coordinates, found by walking the visible lines from topLine with
// their cached rowCount; (CaretParked, CaretParked) when its line is above topLine or starts at
// or below the bottom edge. Painting must place the caret by the same rule.
LayoutPoint CaretViewPoint();

// What a point of the view shows, for the mouse: the line under it, found by walking the visible
// lines from topLine with their cached rowCount as CaretViewPoint does, and in it the boundary
// nearest to the point (PlaceAtPoint) or the start of the character under it (CharacterAtPoint).
// A point outside the view is taken at the view's nearest edge, on the first or last visible
// row; one beyond a row's end gives that end. A null line when there is no document.
TextPlace PlaceAtPoint(int x, int y);
TextPlace CharacterAtPoint(int x, int y);

// Moves the system caret to CaretViewPoint and tells CaretMoved (view/viewport.h). Defined in
// place_caret.cpp, Windows build only.
void PlaceCaret();
