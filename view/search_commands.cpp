#include "view/search_commands.h"
#include "document/text_edit.h"
#include "document/text_line.h"
#include "platform/platform.h"
#include "view/char_input.h"
#include "view/editing.h"
#include "view/selection.h"

#include <climits>
#include <new>
#include <string>
#include <vector>

namespace {

// The caret is being put somewhere by a command: typing starts anew there.
void LeaveTyping()
{
    EndTypingRun();
    DropPendingLeadByte();
}

// A blank as ParseLineNumber skips it (an ideographic space is two bytes); 0 for none.
int BlankBytes(const unsigned char* text)
{
    if (text[0] == ' ' || text[0] == '\t')
        return 1;
    return text[0] == 0x81 && text[1] == 0x40 ? 2 : 0;
}

// The digit at text and its bytes (ASCII, or full-width 0x824F to 0x8258); bytes 0 for none.
int DigitAt(const unsigned char* text, int* bytes)
{
    if (text[0] >= '0' && text[0] <= '9') {
        *bytes = 1;
        return text[0] - '0';
    }
    if (text[0] == 0x82 && text[1] >= 0x4F && text[1] <= 0x58) {
        *bytes = 2;
        return text[1] - 0x4F;
    }
    *bytes = 0;
    return 0;
}

// The match at first and every later one of its line replaced in one edit, from the first
// match's start to the last one's end: the line is moved, measured and logged once, however many
// matches it holds. The matches are those of the line as it was; *built and *starts are room to
// reuse.
bool ReplaceInLine(const SearchPattern& pattern, const TextPlace& first, const char* bytes, int count,
                   std::string* built, std::vector<int>* starts, int* matches, unsigned long* error)
{
    const TextLine& line = *first.line;
    int end = first.pos;
    try {
        built->clear();
        FindAllInLine(pattern, line.text, line.length, first.pos, starts);
        for (int at : *starts) {
            built->append(line.text + end, static_cast<size_t>(at - end));
            built->append(bytes, static_cast<size_t>(count));
            end = at + pattern.length;
            ++*matches;
        }
    } catch (const std::bad_alloc&) {
        *error = OutOfMemoryError;
        return false;
    }
    if (built->size() > static_cast<size_t>(INT_MAX)) {
        *error = OutOfMemoryError;
        return false;
    }
    TextPlace last = {first.line, first.lineIndex, end};
    return ReplaceRange(first, last, built->data(), static_cast<int>(built->size()), EditOther, error);
}

}

bool SelectNextMatch(const SearchPattern& pattern, bool forward, bool* wrapped)
{
    *wrapped = false;
    TextPlace start;
    TextPlace end;
    SelectionBounds(&start, &end);
    TextMatch match;
    if (!FindMatch(pattern, forward ? end : start, forward, true, &match))
        return false;
    LeaveTyping();
    SetSelection(match.start, match.end);
    *wrapped = match.wrapped;
    return true;
}

bool ReplaceAndFindNext(const SearchPattern& pattern, const char* bytes, int count, bool* found, bool* wrapped,
                        unsigned long* error)
{
    *error = 0;
    *found = *wrapped = false;
    TextPlace start;
    TextPlace end;
    SelectionBounds(&start, &end);
    if (HasSelection() && IsMatchAt(pattern, start, end) &&
        !ReplaceRange(start, end, bytes, count, EditOther, error))
        return false;
    *found = SelectNextMatch(pattern, true, wrapped);
    return true;
}

bool ReplaceAllMatches(const SearchPattern& pattern, const char* bytes, int count, int* replaced,
                       unsigned long* error)
{
    *error = 0;
    *replaced = 0;
    if (View.firstLine == nullptr)
        return true;
    TextPlace from = {View.firstLine, 0, 0};
    TextMatch match;
    std::string built;
    std::vector<int> starts;
    bool done = true;
    BeginEditGroup();
    while (FindMatch(pattern, from, true, false, &match)) {
        int matches = 0;
        if (!ReplaceInLine(pattern, match.start, bytes, count, &built, &starts, &matches, error)) {
            done = false;
            break;
        }
        *replaced += matches;
        // The caret stands after the new text.
        from = CaretPlace();
    }
    EndEditGroup();
    return done;
}

int LineCount()
{
    const TextLine* line = View.caret.line;
    if (line == nullptr)
        return 0;
    int count = View.caret.lineIndex + 1;
    for (line = line->next; line != nullptr; line = line->next)
        ++count;
    return count;
}

bool GoToLine(int number)
{
    TextLine* line = number >= 1 ? LineAtIndex(number - 1) : nullptr;
    if (line == nullptr)
        return false;
    LeaveTyping();
    TextPlace start = {line, number - 1, 0};
    SetSelection(start, start);
    return true;
}

bool ParseLineNumber(const char* text, int* number)
{
    const unsigned char* at = reinterpret_cast<const unsigned char*>(text);
    while (int blank = BlankBytes(at))
        at += blank;
    int value = 0;
    int digits = 0;
    for (int bytes = 0;; at += bytes, ++digits) {
        int digit = DigitAt(at, &bytes);
        if (bytes == 0)
            break;
        if (digits == 9)
            return false;
        value = value * 10 + digit;
    }
    while (int blank = BlankBytes(at))
        at += blank;
    if (digits == 0 || *at != 0)
        return false;
    *number = value;
    return true;
}
