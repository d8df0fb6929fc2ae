#include <windows.h>
#include "view/caret_moves.h"

void PlaceCaret()
{
    LayoutPoint point = CaretViewPoint();
    SetCaretPos(point.x, point.y);
}
