// Searches text for a pattern, both from the input, and holds every answer to the reference that
// splits each line into characters first (tests/document/text_search_reference.h). The first byte
// holds the options (bit 0 match case, bit 1 whole words, bit 2 forwards, bit 3 wrap, bits 4 and 5
// the code the text is held in: Shift-JIS, UTF-8, EUC-JP, and Shift-JIS again), the next two
// choose the place the document search starts from; the pattern runs to the first LF and the rest
// is the text, whose lines end at LF or CR. Replace All's matches of each line, found in one walk,
// must be those of the reference one after another. A disagreement aborts the run.
#include "document/editor_record.h"
#include "document/text_line.h"
#include "document/text_search.h"
#include "tests/document/text_search_reference.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void Check(bool condition)
{
    if (!condition)
        abort();
}

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines(1);
    for (char b : text) {
        if (b == '\n' || b == '\r')
            lines.emplace_back();
        else
            lines.back() += b == 0 ? '*' : b;
    }
    return lines;
}

TextLine* MakeDocument(const std::vector<std::string>& lines)
{
    TextLine* first = nullptr;
    TextLine* last = nullptr;
    for (const std::string& text : lines) {
        TextLine* line = new TextLine;
        Check(line->AppendBytes(text.data(), static_cast<int>(text.size())));
        if (last == nullptr)
            first = line;
        else
            last->InsertAfter(line);
        last = line;
    }
    return first;
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3)
        return 0;
    unsigned options = data[0];
    bool matchCase = options & 1;
    bool wholeWord = options & 2;
    bool forward = options & 4;
    bool wrap = options & 8;
    const TextCode codes[4] = {CodeShiftJis, CodeUtf8, CodeEucJp, CodeShiftJis};
    SetDocumentCode(codes[options >> 4 & 3]);
    std::string rest(reinterpret_cast<const char*>(data) + 3, size - 3);
    size_t end = rest.find('\n');
    std::string pattern = rest.substr(0, end);
    std::vector<std::string> lines = SplitLines(end == std::string::npos ? "" : rest.substr(end + 1));
    int length = static_cast<int>(pattern.size());
    SearchPattern p = {pattern.data(), length, matchCase, wholeWord};

    View.firstLine = MakeDocument(lines);
    std::vector<ReferenceMatch> matches = ReferenceMatches(lines, pattern, matchCase, wholeWord, DocumentRule());
    size_t next = 0;
    TextLine* line = View.firstLine;
    for (size_t i = 0; i < lines.size(); ++i, line = line->next) {
        // Every match of the line, each found forwards from just after the one before.
        size_t lineFirst = next;
        int start = FindInLine(p, line->text, line->length, 0, line->length, true);
        for (; next < matches.size() && matches[next].line == static_cast<int>(i); ++next) {
            Check(start == matches[next].start);
            TextPlace from = {line, static_cast<int>(i), start};
            TextPlace to = {line, static_cast<int>(i), start + length};
            Check(IsMatchAt(p, from, to));
            start = FindInLine(p, line->text, line->length, start + 1, line->length, true);
        }
        Check(start == -1);
        // Replace All's matches of the line: one after another from the end of each.
        std::vector<int> all;
        FindAllInLine(p, line->text, line->length, 0, &all);
        size_t taken = 0;
        int after = 0;
        for (size_t m = lineFirst; m < next; ++m) {
            if (matches[m].start < after)
                continue;
            Check(taken < all.size() && all[taken] == matches[m].start);
            ++taken;
            after = matches[m].start + length;
        }
        Check(taken == all.size());
        int last = FindInLine(p, line->text, line->length, 0, line->length, false);
        Check(last == (next > 0 && matches[next - 1].line == static_cast<int>(i) ? matches[next - 1].start : -1));
    }

    int lineIndex = data[1] % static_cast<int>(lines.size());
    TextLine* fromLine = View.firstLine;
    for (int i = 0; i < lineIndex; ++i)
        fromLine = fromLine->next;
    TextPlace from = {fromLine, lineIndex, data[2] % (fromLine->length + 1)};
    bool wrapped = false;
    int expected = ReferenceFind(matches, length, lineIndex, from.pos, forward, wrap, &wrapped);
    TextMatch match;
    bool found = FindMatch(p, from, forward, wrap, &match);
    Check(found == (expected >= 0));
    if (found) {
        Check(match.start.lineIndex == matches[expected].line && match.start.pos == matches[expected].start);
        Check(match.end.line == match.start.line && match.end.pos == match.start.pos + length);
        Check(match.wrapped == wrapped);
    }

    DestroyLines(View.firstLine);
    View.firstLine = nullptr;
    return 0;
}
