#include "document/byte_search.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <random>
#include <string>

TEST(ByteSearch, FindsTheFirstByteAtEveryAlignmentAndLength)
{
    std::mt19937 random(1);
    std::string bytes(300, 'x');
    for (char& b : bytes)
        b = static_cast<char>(random() % 5 == 0 ? '\n' : 0x80 + random() % 3);
    const char targets[] = {'\n', '\x80', '\x81', 0, '\t'};
    for (size_t from = 0; from < 40; ++from) {
        for (size_t end = from; end < bytes.size(); end += 1 + end % 7) {
            for (char b : targets) {
                const char* expected = std::find(bytes.data() + from, bytes.data() + end, b);
                ASSERT_EQ(FindByte(bytes.data() + from, bytes.data() + end, b), expected)
                    << "from " << from << " end " << end << " byte " << static_cast<int>(b);
            }
        }
    }
}
