#include "platform/char_rule.h"

extern const CharRule ShiftJisRule;
extern const CharRule Utf8Rule;
extern const CharRule EucJpRule;

const CharRule& RuleFor(TextCode code)
{
    switch (HeldCode(code)) {
    case CodeUtf8:
        return Utf8Rule;
    case CodeEucJp:
        return EucJpRule;
    default:
        return ShiftJisRule;
    }
}
