#include <windows.h>
#include "view/caret_moves.h"
#include "view/viewport.h"

void PlaceCaret()
{
    LayoutPoint point = CaretViewPoint();
    SetCaretPos(point.x, point.y);
    if (CaretMoved != nullptr)
        CaretMoved();
}
