#include "base/texts.h"

#include "base/added_text_table.h"
#include "base/text_table.h"

namespace pelmo {

namespace {
Language g_language = Language::Czech;
bool g_textCodes = false;

const char* entry(int n, Language language) {
    if (n >= texts::kFirstAddedText) {
        for (int i = 0; i < texts::kAddedCount; ++i) {
            const texts::AddedText& t = texts::kAdded[i];
            if (t.number == n) {
                return language == Language::English ? t.english : t.czech;
            }
        }
        return nullptr;
    }
    if (n < 0 || n >= texts::kTextCount) {
        return nullptr;
    }
    return language == Language::English ? texts::kEnglish[n] : texts::kCzech[n];
}
}  // namespace

void setLanguage(Language language) {
    g_language = language;
}
Language language() {
    return g_language;
}
Language languageFromSetting(int value) {
    return value == 2 ? Language::English : Language::Czech;
}

void setTextCodes(bool on) {
    g_textCodes = on;
}
bool textCodes() {
    return g_textCodes;
}

bool hasText(int n, Language language) {
    return entry(n, language) != nullptr;
}

QString tableText(int n, Language language) {
    const char* text = entry(n, language);
    return text ? QString::fromUtf8(text) : QString();
}

QString txt(int n) {
    QString out;
    if (g_textCodes) {
        out = QString::number(n) + QStringLiteral(":  ");
    }
    return out + tableText(n, g_language);
}

}  // namespace pelmo
