#include <windows.h>
#include "view/caret_moves.h"
#include "view/input_method.h"
#include "view/viewport.h"

void PlaceCaret()
{
    LayoutPoint point = CaretViewPoint();
    SetCaretPos(point.x, point.y);
    FollowCaretWhileComposing();
    if (CaretMoved != nullptr)
        CaretMoved();
}
