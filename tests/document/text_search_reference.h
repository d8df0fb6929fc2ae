// The search as its rules say it, slowly: each line is first split into characters from its start,
// and a match is a run of whole characters equal to the pattern's characters, letters compared in
// either case only where both are single-byte characters. The tests and the fuzz target hold the
// fast search to it.
#pragma once
#include "document/char_classes.h"
#include "platform/platform.h"

#include <string>
#include <vector>

struct ReferenceMatch {
    int line;
    int start;
};

// The characters of bytes as the editor splits them: in Shift-JIS a lead byte with a byte after it
// makes two; in another code as its rule steps from the start.
inline std::vector<std::string> ReferenceCharacters(const std::string& bytes, const CharRule& rule)
{
    std::vector<std::string> characters;
    bool shiftJis = &rule == &RuleFor(CodeShiftJis);
    for (size_t i = 0; i < bytes.size();) {
        int cells;
        size_t size = shiftJis ? (IsLeadByte(static_cast<unsigned char>(bytes[i])) && i + 1 < bytes.size() ? 2 : 1)
                               : static_cast<size_t>(rule.Step(bytes.c_str() + i, &cells));
        characters.push_back(bytes.substr(i, size));
        i += size;
    }
    return characters;
}

inline bool ReferenceLetter(const std::string& c)
{
    return c.size() == 1 && ((c[0] >= 'A' && c[0] <= 'Z') || (c[0] >= 'a' && c[0] <= 'z'));
}

inline bool ReferenceSame(const std::string& a, const std::string& b, bool matchCase)
{
    if (a == b)
        return true;
    return !matchCase && ReferenceLetter(a) && ReferenceLetter(b) && (a[0] | 0x20) == (b[0] | 0x20);
}

// Every match in the line, by its start, in order.
inline std::vector<int> ReferenceLineMatches(const std::string& line, const std::string& pattern, bool matchCase,
                                             bool wholeWord, const CharRule& rule = RuleFor(CodeShiftJis))
{
    std::vector<int> starts;
    std::vector<std::string> text = ReferenceCharacters(line, rule);
    std::vector<std::string> wanted = ReferenceCharacters(pattern, rule);
    if (wanted.empty())
        return starts;
    int offset = 0;
    for (size_t i = 0; i < text.size(); offset += static_cast<int>(text[i].size()), ++i) {
        if (i + wanted.size() > text.size())
            break;
        bool same = true;
        for (size_t j = 0; j < wanted.size() && same; ++j)
            same = ReferenceSame(text[i + j], wanted[j], matchCase);
        if (!same)
            continue;
        if (wholeWord) {
            // Classes are asked of terminated text, as the line's own bytes are.
            CharClass first = ClassOfCharacter(rule, text[i].c_str());
            CharClass last = ClassOfCharacter(rule, text[i + wanted.size() - 1].c_str());
            if (i > 0 && ClassOfCharacter(rule, text[i - 1].c_str()) == first)
                continue;
            if (i + wanted.size() < text.size() && ClassOfCharacter(rule, text[i + wanted.size()].c_str()) == last)
                continue;
        }
        starts.push_back(offset);
    }
    return starts;
}

inline std::vector<ReferenceMatch> ReferenceMatches(const std::vector<std::string>& lines, const std::string& pattern,
                                                    bool matchCase, bool wholeWord,
                                                    const CharRule& rule = RuleFor(CodeShiftJis))
{
    std::vector<ReferenceMatch> matches;
    for (size_t i = 0; i < lines.size(); ++i)
        for (int start : ReferenceLineMatches(lines[i], pattern, matchCase, wholeWord, rule))
            matches.push_back({static_cast<int>(i), start});
    return matches;
}

// What a search from (line, pos) must find: forwards the first match starting at or after it,
// backwards the last ending at or before it, and with wrap the first or last of all when there is
// none. Index into matches, or -1; *wrapped tells whether it took the way round.
inline int ReferenceFind(const std::vector<ReferenceMatch>& matches, int length, int line, int pos, bool forward,
                         bool wrap, bool* wrapped)
{
    *wrapped = false;
    int found = -1;
    for (size_t i = 0; i < matches.size(); ++i) {
        const ReferenceMatch& m = matches[i];
        if (forward && (m.line > line || (m.line == line && m.start >= pos))) {
            found = static_cast<int>(i);
            break;
        }
        if (!forward && (m.line < line || (m.line == line && m.start + length <= pos)))
            found = static_cast<int>(i);
    }
    if (found < 0 && wrap && !matches.empty()) {
        *wrapped = true;
        found = forward ? 0 : static_cast<int>(matches.size()) - 1;
    }
    return found;
}
