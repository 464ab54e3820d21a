#include "base/field_check.h"

#include <gtest/gtest.h>

#include "base/texts.h"
#include "scripted_prompts.h"

namespace pelmo {
namespace {

using test::ScriptedPrompts;

class FieldCheck : public ::testing::Test {
protected:
    ~FieldCheck() override { setLanguage(Language::Czech); }

    // The one information box the check showed, or an empty text when it showed none.
    QString check(const QString& value, FieldKind kind, bool required = true) {
        ScriptedPrompts p;
        const bool passed = validateField(value, QStringLiteral("Adresa:"), kind, p, required);
        EXPECT_LE(p.shown.size(), 1u);
        EXPECT_EQ(passed, p.shown.empty()) << value.toStdString();
        if (p.shown.empty()) {
            return {};
        }
        EXPECT_EQ(p.shown[0].kind, Prompts::Kind::Information);
        return p.shown[0].text;
    }
};

TEST_F(FieldCheck, AllowedCharactersPerKind) {
    EXPECT_EQ(check(QStringLiteral("0123456789"), FieldKind::Integer), QString());
    EXPECT_EQ(check(QStringLiteral("-12,5"), FieldKind::Decimal), QString());
    EXPECT_EQ(check(QString::fromUtf8(" Kotel 2 ~120°C"), FieldKind::Text), QString());
}

TEST_F(FieldCheck, PositionsOfOffendingCharacters) {
    setLanguage(Language::Czech);
    EXPECT_EQ(check(QStringLiteral("1a3b"), FieldKind::Integer),
              QString::fromUtf8("Pole 'Adresa:' obsahuje neplatný znak nebo hodnotu (poz.2. 4. )"));
    // Integers take neither sign nor comma; decimals take no point or blank.
    EXPECT_EQ(invalidPositions(QStringLiteral("-1,0"), FieldKind::Integer),
              QStringLiteral("1. 3. "));
    EXPECT_EQ(invalidPositions(QStringLiteral("1.5 "), FieldKind::Decimal),
              QStringLiteral("2. 4. "));
    // Czech letters and control characters are not texts the station can show; a
    // character outside the BMP counts as one position.
    EXPECT_EQ(invalidPositions(QString::fromUtf8("Kč\t~🙂x"), FieldKind::Text),
              QStringLiteral("2. 3. 5. "));

    setLanguage(Language::English);
    EXPECT_EQ(check(QStringLiteral("12,5x"), FieldKind::Decimal),
              QStringLiteral("Box 'Adresa:' contains illegal characters (pos. 5. )"));
}

TEST_F(FieldCheck, EmptyValues) {
    setLanguage(Language::Czech);
    EXPECT_EQ(check(QString(), FieldKind::Integer),
              QString::fromUtf8("Pole 'Adresa:' nemůže být prázdné!"));
    setLanguage(Language::English);
    EXPECT_EQ(check(QString(), FieldKind::Text), QStringLiteral("Box 'Adresa:' can't be empty!"));
    EXPECT_EQ(check(QString(), FieldKind::Decimal, false), QString());
}

}  // namespace
}  // namespace pelmo
