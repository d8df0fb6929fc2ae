#include "view/selection.h"
#include "document/char_classes.h"
#include "document/text_edit.h"
#include "document/text_line.h"
#include "layout/row_layout.h"

TextPlace CaretPlace()
{
    TextPlace place = {View.caret.line, View.caret.lineIndex, View.caret.pos};
    return place;
}

void PlaceCaretAt(const TextPlace& place)
{
    View.caret.line = place.line;
    View.caret.lineIndex = place.lineIndex;
    View.caret.pos = place.pos;
    View.caret.x = place.line != nullptr ? PosToPoint(*place.line, place.pos).x : 0;
}

bool HasSelection()
{
    return View.anchor.line != nullptr && View.anchor != CaretPlace();
}

void SelectionBounds(TextPlace* start, TextPlace* end)
{
    TextPlace caret = CaretPlace();
    if (!HasSelection()) {
        *start = *end = caret;
    } else if (View.anchor < caret) {
        *start = View.anchor;
        *end = caret;
    } else {
        *start = caret;
        *end = View.anchor;
    }
}

void CollapseSelection()
{
    View.anchor = CaretPlace();
}

void SetSelection(const TextPlace& anchor, const TextPlace& caret)
{
    PlaceCaretAt(caret);
    View.anchor = anchor;
}

void SelectAll()
{
    if (View.firstLine == nullptr)
        return;
    TextPlace start = {View.firstLine, 0, 0};
    TextPlace end = CaretPlace();
    if (end.line == nullptr)
        end = start;
    while (end.line->next != nullptr) {
        end.line = end.line->next;
        ++end.lineIndex;
    }
    // Walked from the caret, which is often near the end already; lines before it are counted
    // from its own number.
    end.pos = end.line->length;
    SetSelection(start, end);
}

void SelectWordAt(const TextPlace& place)
{
    const TextLine& line = *place.line;
    const CharRule& rule = DocumentRule();
    int pos = place.pos;
    if (pos == line.length && pos > 0)
        pos = rule.stepBack(line.text, pos);
    TextPlace start = place;
    TextPlace end = place;
    start.pos = pos < line.length ? WordStart(rule, line.text, pos) : pos;
    end.pos = WordEnd(rule, line.text, line.length, pos);
    // WordStart looks at the character before pos, which may be of another class.
    if (pos < line.length && start.pos < pos &&
        ClassOfCharacter(rule, line.text + rule.stepBack(line.text, pos)) != ClassOfCharacter(rule, line.text + pos))
        start.pos = pos;
    SetSelection(start, end);
}

bool SelectedBytes(const char* lineBreak, std::string* out)
{
    TextPlace start;
    TextPlace end;
    SelectionBounds(&start, &end);
    return CopyBytes(start, end, lineBreak, out);
}
