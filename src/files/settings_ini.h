#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace pelmo {

// settings.ini beside the executable.
QString settingsFilePath();
// settings.ini beside the program when its folder is writable, else in the per-user
// configuration folder the platform names.
QString settingsFilePathFor(const QString& programDir);

// An INI file read and written the way the Windows profile routines do it: section and
// key names compare without regard to case, the first matching section and key win,
// anything missing yields the caller's default, and writing keeps every other line as it
// was. Changes stay in memory until flush().
class SettingsIni {
public:
    explicit SettingsIni(QString path);

    // Reads the file again; a missing or unreadable file reads as empty. False when there
    // was nothing to read. An existing file that cannot be read is never overwritten.
    bool load();
    // Takes a file's bytes as load() reads them (UTF-8, else Latin-1; an optional BOM; CR LF
    // or LF line ends).
    void parse(const QByteArray& bytes);
    // The bytes flush() writes.
    QByteArray contents() const;
    // Writes the whole file through a temporary file in the same folder that is renamed
    // over it, so a failed write never leaves a half-written settings file.
    bool flush();

    QString readString(const QString& section, const QString& key, const QString& def) const;
    // Decimal with an optional sign; anything else reads as the default.
    int readInteger(const QString& section, const QString& key, int def) const;
    // 0 is false, any other number true; anything else reads as the default.
    bool readBool(const QString& section, const QString& key, bool def) const;

    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, int value);
    void writeBool(const QString& section, const QString& key, bool value);

    const QString& path() const { return path_; }
    // The lines as they will be written (for tests and diagnostics).
    const QStringList& lines() const { return lines_; }

private:
    // Index of the section's header line, or -1.
    int findSection(const QString& section) const;
    // Index of the key's line inside the section starting at `header`, or -1.
    int findKey(int header, const QString& key) const;
    // One past the section's last key line: where a new key goes.
    int sectionInsertPoint(int header) const;

    QString path_;
    QStringList lines_;
    QString lineEnd_ = QStringLiteral("\r\n");
    bool latin1_ = false;
    bool bom_ = false;
    // False when an existing file could not be read: rewriting it would lose its content.
    bool writable_ = true;
};

}  // namespace pelmo
