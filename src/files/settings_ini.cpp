#include "files/settings_ini.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringDecoder>

#include "base/file_access.h"
#include "files/program_folder.h"

namespace pelmo {

namespace {

// A settings file is a few hundred bytes; anything this large is not ours to rewrite.
constexpr qint64 kMaxFileSize = 1 << 20;

const QChar kBom(0xFEFF);

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Section name of a header line, or a null string when the line is no header.
QString headerName(const QString& line) {
    const QString t = line.trimmed();
    if (!t.startsWith(QLatin1Char('['))) {
        return {};
    }
    const qsizetype end = t.indexOf(QLatin1Char(']'));
    if (end < 0) {
        return {};
    }
    const QString name = t.mid(1, end - 1).trimmed();
    return name.isNull() ? QStringLiteral("") : name;
}

bool isComment(const QString& line) {
    return line.trimmed().startsWith(QLatin1Char(';'));
}

// A value, key or section containing a line break would split into lines of its own.
QString singleLine(QString s) {
    for (QChar& c : s) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QChar(0)) {
            c = QLatin1Char(' ');
        }
    }
    return s;
}

QString unquoted(const QString& value) {
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == QLatin1Char('"') || first == QLatin1Char('\'')) && value.back() == first) {
            return value.mid(1, value.size() - 2);
        }
    }
    return value;
}

}  // namespace

QString settingsFilePath() {
    return settingsFilePathFor(QCoreApplication::applicationDirPath());
}

QString settingsFilePathFor(const QString& programDir) {
    // An installed program keeps its settings with the user.
    return QDir(writableProgramPlace(programDir, QStandardPaths::writableLocation(
                                                     QStandardPaths::AppConfigLocation)))
        .filePath(QStringLiteral("settings.ini"));
}

SettingsIni::SettingsIni(QString path) : path_(std::move(path)) {
    load();
}

bool SettingsIni::load() {
    parse({});
    writable_ = true;

    QFile file(path_);
    if (!file.exists()) {
        return false;
    }
    if (file.size() > kMaxFileSize || !file.open(QIODevice::ReadOnly)) {
        writable_ = false;
        return false;
    }
    const QByteArray bytes = file.read(kMaxFileSize + 1);
    if (bytes.size() > kMaxFileSize || file.error() != QFileDevice::NoError) {
        writable_ = false;
        return false;
    }
    parse(bytes);
    return true;
}

void SettingsIni::parse(const QByteArray& bytes) {
    lines_.clear();
    lineEnd_ = QStringLiteral("\r\n");
    latin1_ = false;
    bom_ = false;

    // Files edited on Windows are often in the ANSI code page; Latin-1 keeps their bytes
    // unchanged when the file is written back.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError()) {
        text = QString::fromLatin1(bytes);
        latin1_ = true;
    }
    if (text.startsWith(kBom)) {
        bom_ = true;
        text.remove(0, 1);
    }
    if (!text.contains(QLatin1String("\r\n")) && text.contains(QLatin1Char('\n'))) {
        lineEnd_ = QStringLiteral("\n");
    }
    lines_ = text.split(QLatin1Char('\n'));
    for (QString& line : lines_) {
        if (line.endsWith(QLatin1Char('\r'))) {
            line.chop(1);
        }
    }
    if (!lines_.isEmpty() && lines_.back().isEmpty()) {
        lines_.removeLast();
    }
}

QByteArray SettingsIni::contents() const {
    QString text = bom_ ? QString(kBom) : QString();
    for (const QString& line : lines_) {
        text += line + lineEnd_;
    }
    return latin1_ ? text.toLatin1() : text.toUtf8();
}

bool SettingsIni::flush() {
    if (!writable_) {
        return false;
    }
    return writeFileAtomically(path_, contents()) == WriteResult::Ok;
}

int SettingsIni::findSection(const QString& section) const {
    for (int i = 0; i < lines_.size(); ++i) {
        const QString name = headerName(lines_[i]);
        if (!name.isNull() && sameName(name, section)) {
            return i;
        }
    }
    return -1;
}

int SettingsIni::findKey(int header, const QString& key) const {
    for (int i = header + 1; i < lines_.size(); ++i) {
        const QString& line = lines_[i];
        if (!headerName(line).isNull()) {
            break;
        }
        if (isComment(line)) {
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq >= 0 && sameName(line.left(eq).trimmed(), key)) {
            return i;
        }
    }
    return -1;
}

int SettingsIni::sectionInsertPoint(int header) const {
    int last = header;
    for (int i = header + 1; i < lines_.size(); ++i) {
        if (!headerName(lines_[i]).isNull()) {
            break;
        }
        if (!lines_[i].trimmed().isEmpty()) {
            last = i;
        }
    }
    return last + 1;
}

QString SettingsIni::readString(const QString& section, const QString& key,
                                const QString& def) const {
    const int header = findSection(section);
    const int at = header < 0 ? -1 : findKey(header, key);
    if (at < 0) {
        return def;
    }
    const QString& line = lines_[at];
    return unquoted(line.mid(line.indexOf(QLatin1Char('=')) + 1).trimmed());
}

int SettingsIni::readInteger(const QString& section, const QString& key, int def) const {
    const QString value = readString(section, key, QString());
    bool ok = false;
    const int n = value.toInt(&ok, 10);
    return ok ? n : def;
}

bool SettingsIni::readBool(const QString& section, const QString& key, bool def) const {
    return readInteger(section, key, def ? 1 : 0) != 0;
}

void SettingsIni::writeString(const QString& section, const QString& key, const QString& value) {
    const QString s = singleLine(section).trimmed();
    const QString k = singleLine(key).trimmed();
    const QString line = k + QLatin1Char('=') + singleLine(value);
    const int header = findSection(s);
    if (header < 0) {
        lines_.append(QLatin1Char('[') + s + QLatin1Char(']'));
        lines_.append(line);
        return;
    }
    const int at = findKey(header, k);
    if (at >= 0) {
        // Keep the key's spelling as the file has it.
        const QString& old = lines_[at];
        lines_[at] = old.left(old.indexOf(QLatin1Char('='))).trimmed() + QLatin1Char('=') +
                     singleLine(value);
        return;
    }
    lines_.insert(sectionInsertPoint(header), line);
}

void SettingsIni::writeInteger(const QString& section, const QString& key, int value) {
    writeString(section, key, QString::number(value));
}

void SettingsIni::writeBool(const QString& section, const QString& key, bool value) {
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

}  // namespace pelmo
