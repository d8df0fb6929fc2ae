#include <windows.h>
#include "view/caret_moves.h"
#include "view/input_method.h"

void PlaceCaret()
{
    LayoutPoint point = CaretViewPoint();
    SetCaretPos(point.x, point.y);
    FollowCaretWhileComposing();
}
