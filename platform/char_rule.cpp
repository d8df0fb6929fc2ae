#include "platform/char_rule.h"

extern const CharRule ShiftJisRule;
extern const CharRule Utf8Rule;
extern const CharRule EucJpRule;

// In the order of TextCode, each code's entry the rule of its HeldCode.
const CharRule* const HeldRules[TextCodeCount] = {
    &ShiftJisRule, &Utf8Rule, &Utf8Rule, &Utf8Rule, &Utf8Rule, &EucJpRule, &EucJpRule,
};
