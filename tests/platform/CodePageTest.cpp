#include <gtest/gtest.h>

#include "platform/CodePage.h"

namespace morvik {
namespace {

TEST(CodePage, GermanTextIsOneBytePerCharacterAndEveryByteSurvives) {
    EXPECT_EQ(ToAnsi("Müller Röntgen Fuß ÄÖÜ €"), "M\xFCller R\xF6ntgen Fu\xDF \xC4\xD6\xDC \x80");
    EXPECT_EQ(FromAnsi("M\xFCller R\xF6ntgen Fu\xDF \x80"), "Müller Röntgen Fuß €");
    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
    EXPECT_EQ(ToAnsi(FromAnsi(all)), all);
    // Characters outside the code page become question marks.
    EXPECT_EQ(ToAnsi("a\u4e2db\u0141c"), "a?b?c");
}

// Each byte that starts no well-formed character becomes one "?"; the bytes after it are kept.
TEST(CodePage, InvalidUtf8BecomesOneQuestionMarkPerByte) {
    EXPECT_EQ(ToAnsi("\xF3Z \xE4\xBC\xF6 \xC3 \xED\xA0\x80\xFC"), "?Z ??? ? ????");
}

// Character sets a request declares, for showing it: DIN 66003 has ÄÖÜäöüß§ where ASCII has
// brackets and knows no byte from 0x80 on, code page 437 has the DOS umlauts.
TEST(CodePage, DeclaredCharacterSets) {
    EXPECT_EQ(ToUtf8("[\\]{|}~@ M\xC4", Charset::Din66003), "ÄÖÜäöüß§ M\uFFFD");
    EXPECT_EQ(ToUtf8("M\x81ller \x84\x94\xE1", Charset::Cp437), "Müller äöß");
    EXPECT_EQ(ToUtf8("M\xFCller \x80", Charset::Latin1), "Müller \u0080");
}

}  // namespace
}  // namespace morvik
