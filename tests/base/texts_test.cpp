#include "base/texts.h"
#include "base/added_text_table.h"

#include <gtest/gtest.h>

#include "base/text_table.h"

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
    EXPECT_EQ(txt(kTextErrorConnectiongToDevice),
              QString::fromUtf8("Spojení se stanicí nelze navázat!"));
    EXPECT_EQ(txt(kTextGeneralError), QString::fromUtf8("Všeobecná chyba: "));
    setLanguage(Language::English);
    EXPECT_EQ(txt(kTextErrorConnectiongToDevice), QStringLiteral("Error connectiong to device!"));
    EXPECT_EQ(txt(kTextGeneralError), QStringLiteral("General error: "));
}

TEST_F(Texts, TextCodesPrefixTheNumber) {
    setTextCodes(true);
    setLanguage(Language::Czech);
    EXPECT_EQ(txt(kTextInitializingConnection), QString::fromUtf8("118:  Inicializace spojení..."));
}

TEST_F(Texts, GapsAndBounds) {
    EXPECT_FALSE(hasText(96, Language::Czech));
    EXPECT_FALSE(hasText(96, Language::English));
    EXPECT_TRUE(hasText(kTextNepodariloSeNastavitSystemovy, Language::Czech));
    EXPECT_FALSE(hasText(kTextNepodariloSeNastavitSystemovy, Language::English));
    setLanguage(Language::English);
    EXPECT_TRUE(txt(kTextNepodariloSeNastavitSystemovy).isEmpty());
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

TEST_F(Texts, EveryCaptionRoutineFindsItsTextsInBothLanguages) {
    // The numbers each window's caption routine puts on its controls.
    const std::vector<std::pair<int, int>> ranges = {
        {0, 2},     {4, 31},    {110, 110}, {141, 142}, {195, 196}, {266, 267}, {384, 384},
        {388, 389}, {32, 60},   {68, 68},   {73, 77},   {356, 359}, {361, 362}, {370, 370},
        {386, 386}, {403, 406}, {78, 95},   {102, 102}, {202, 203}, {363, 364}, {390, 390},
        {111, 115}, {117, 117}, {169, 171}, {204, 204}, {324, 333}, {172, 185}, {251, 251},
        {191, 194}, {197, 198}, {353, 355}, {395, 396}, {212, 212}, {214, 217}, {242, 245},
        {397, 397}, {246, 250}, {252, 254}, {256, 259}, {261, 262}, {268, 269}, {369, 369},
        {380, 380}, {278, 279}, {283, 299}, {69, 72},   {360, 360}, {316, 317}, {321, 321},
        {334, 334}, {336, 351}, {383, 383}};
    for (auto [first, last] : ranges) {
        for (int n = first; n <= last; ++n) {
            EXPECT_TRUE(hasText(n, Language::Czech)) << n;
            EXPECT_TRUE(hasText(n, Language::English)) << n;
        }
    }
}

TEST(AddedTexts, NumberedOnceAndTheSameInBothLanguages) {
    int previous = texts::kFirstAddedText - 1;
    for (int i = 0; i < texts::kAddedCount; ++i) {
        const texts::AddedText& t = texts::kAdded[i];
        EXPECT_GT(t.number, previous) << t.number;
        previous = t.number;
        const QString cs = tableText(t.number, Language::Czech);
        const QString en = tableText(t.number, Language::English);
        EXPECT_FALSE(cs.isEmpty() || en.isEmpty()) << t.number;
        // A placeholder filled in one language is filled in the other.
        EXPECT_EQ(cs.count(QStringLiteral("%1")), en.count(QStringLiteral("%1"))) << t.number;
    }
    EXPECT_FALSE(hasText(texts::kFirstAddedText - 1, Language::Czech));
    EXPECT_FALSE(hasText(previous + 1, Language::English));
}

}  // namespace
}  // namespace pelmo
