// What a rule's run of characters must take, found by stepping one character at a time: the
// reference the row walk's runs are held to, by the tests and by the code fuzz target.
#pragma once
#include "platform/char_rule.h"

#include <vector>

// Bytes, cells, and the bytes and cells of the last character: what stepRun answers.
inline std::vector<int> RunBySteps(const CharRule& rule, const char* text, int limit, long long room)
{
    int bytes = 0;
    int cells = 0;
    int last = 0;
    int lastCells = 0;
    while (bytes < limit && text[bytes] != '\t' && text[bytes] != 0) {
        int width;
        int step = rule.Step(text + bytes, &width);
        if (cells + width > room)
            break;
        cells += width;
        bytes += step;
        last = step;
        lastCells = width;
    }
    return {bytes, cells, last, lastCells};
}

// The same through the rule's run.
inline std::vector<int> RunOfRule(const CharRule& rule, const char* text, int limit, long long room)
{
    int cells = -1;
    int last = -1;
    int lastCells = -1;
    int bytes = rule.stepRun(text, limit, room, &cells, &last, &lastCells);
    return {bytes, cells, last, lastCells};
}
