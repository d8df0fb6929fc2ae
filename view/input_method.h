// The input method's windows beside the edit view: while a composition lasts, its composition
// window stands at the caret in the view's font and its candidate list keeps off the caret's row,
// following the caret as it moves. The edit view takes what it produces as Unicode: the result
// of a composition whole (ImmGetCompositionStringW), single characters as WM_IME_CHAR.
#pragma once

// WM_IME_STARTCOMPOSITION and WM_IME_ENDCOMPOSITION.
void CompositionStarted();
void CompositionEnded();
// While a composition lasts, moves the windows to the caret's view point (CaretViewPoint): after
// PlaceCaret, every scroll and every edit, so they follow the caret wherever it goes.
void FollowCaretWhileComposing();
