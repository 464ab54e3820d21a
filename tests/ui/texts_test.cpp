#include "ui/texts.h"

#include <gtest/gtest.h>

#include "ui/text_table.h"

namespace pelmo {
namespace {

class Texts : public ::testing::Test {
protected:
    ~Texts() override {
        setLanguage(Language::Czech);
        setTextCodes(false);
    }
};

TEST_F(Texts, LookupInBothLanguages) {
    setLanguage(Language::Czech);
    EXPECT_EQ(txt(136), QString::fromUtf8("Spojení se stanicí nelze navázat!"));
    EXPECT_EQ(txt(312), QString::fromUtf8("Všeobecná chyba: "));
    setLanguage(Language::English);
    EXPECT_EQ(txt(136), QStringLiteral("Error connectiong to device!"));
    EXPECT_EQ(txt(312), QStringLiteral("General error: "));
}

TEST_F(Texts, TextCodesPrefixTheNumber) {
    setTextCodes(true);
    setLanguage(Language::Czech);
    EXPECT_EQ(txt(118), QString::fromUtf8("118:  Inicializace spojení..."));
}

TEST_F(Texts, GapsAndBounds) {
    EXPECT_FALSE(hasText(96, Language::Czech));
    EXPECT_FALSE(hasText(96, Language::English));
    EXPECT_TRUE(hasText(224, Language::Czech));
    EXPECT_FALSE(hasText(224, Language::English));
    setLanguage(Language::English);
    EXPECT_TRUE(txt(224).isEmpty());
    EXPECT_TRUE(txt(-1).isEmpty());
    EXPECT_TRUE(txt(408).isEmpty());
    EXPECT_EQ(languageFromSetting(2), Language::English);
    EXPECT_EQ(languageFromSetting(7), Language::Czech);
    for (int n = 0; n < texts::kTextCount; ++n) {
        for (Language l : {Language::Czech, Language::English}) {
            if (hasText(n, l)) {
                EXPECT_LE(tableText(n, l).size(), 254) << n;
            } else {
                EXPECT_TRUE(n == 96 || (n == 224 && l == Language::English)) << n;
            }
        }
    }
}

}  // namespace
}  // namespace pelmo
