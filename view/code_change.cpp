#include "view/code_change.h"
#include "document/background_load.h"
#include "document/char_convert.h"
#include "document/editor_record.h"
#include "document/text_line.h"
#include "view/editing.h"
#include "view/selection.h"

#include <string>

namespace {

// The same place in the line once its first pos bytes are converted.
TextPlace Converted(const TextPlace& place, TextCode code)
{
    TextPlace moved = place;
    if (place.line != nullptr) {
        std::string head;
        ConvertHeldBytes(View.code, code, place.line->text, place.pos, &head);
        moved.pos = static_cast<int>(head.size());
    }
    return moved;
}

}

int ConversionLosses(TextCode code)
{
    if (HeldCode(code) == HeldCode(View.code))
        return 0;
    int lost = 0;
    std::string converted;
    for (const TextLine* line = View.firstLine; line != nullptr; line = line->next) {
        converted.clear();
        lost += ConvertHeldBytes(View.code, code, line->text, line->length, &converted);
    }
    return lost;
}

bool ConvertDocument(TextCode code, unsigned long* error)
{
    *error = 0;
    if (View.firstLine == nullptr || View.caret.line == nullptr || LoadInProgress())
        return false;
    TextPlace caret = Converted(CaretPlace(), code);
    TextPlace anchor = Converted(View.anchor.line != nullptr ? View.anchor : CaretPlace(), code);
    BeginEditGroup();
    bool done = true;
    int replaced = 0;
    std::string converted;
    int index = 0;
    for (TextLine* line = View.firstLine; line != nullptr && done; line = line->next, ++index) {
        converted.clear();
        ConvertHeldBytes(View.code, code, line->text, line->length, &converted);
        if (converted == std::string(line->text, static_cast<size_t>(line->length)))
            continue;
        TextPlace from = {line, index, 0};
        TextPlace to = {line, index, line->length};
        done = ReplaceRange(from, to, converted.data(), static_cast<int>(converted.size()), EditOther, error);
        replaced += done;
        // The caret ends the line's new text, whatever record now holds it.
        line = View.caret.line;
    }
    if (done)
        RecordCodeChange(code, caret, anchor);
    EndEditGroup();
    if (!done && replaced > 0) {
        // What was converted goes back, so the document is never left in two codes.
        unsigned long ignored = 0;
        UndoEdit(&ignored);
    }
    return done;
}
