// What a name looks like in a message on a terminal.
#include "cli/printable_text.h"

#include <gtest/gtest.h>

namespace {

TEST(PrintableText, ControlsAndBrokenUtf8BecomeHexEscapesAndTheRestStays) {
    struct Case {
        std::string text;
        std::string shown;
    };
    const Case cases[] = {
        {"photo 1.jpg", "photo 1.jpg"},
        {"tab\there\nline\r", "tab\\x09here\\x0aline\\x0d"},
        {"\x1b[31mred\x1b[0m", "\\x1b[31mred\\x1b[0m"},
        {std::string("nul\0byte", 8), "nul\\x00byte"},
        {"del\x7f", "del\\x7f"},
        // UTF-8 letters stay; the C1 controls in UTF-8 (U+0085, U+009B) do not.
        {"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x93\xb7", "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x93\xb7"},
        {"\xc2\x85\xc2\x9b\xc2\xa0", "\\xc2\\x85\\xc2\\x9b\xc2\xa0"},
        // Bytes that are no UTF-8: a lone 8-bit CSI, a cut sequence, an overlong form,
        // a surrogate, past U+10FFFF.
        {"\x9b"
         "2J",
         "\\x9b2J"},
        {"\xe2\x82", "\\xe2\\x82"},
        {"\xc0\xaf", "\\xc0\\xaf"},
        {"\xed\xa0\x80", "\\xed\\xa0\\x80"},
        {"\xf4\x90\x80\x80", "\\xf4\\x90\\x80\\x80"},
    };
    for (const Case& test : cases) {
        EXPECT_EQ(PrintableText(test.text), test.shown);
    }
}

}  // namespace
