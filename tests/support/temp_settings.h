#pragma once

#include <gtest/gtest.h>
#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

namespace pelmo::test {

// A settings.ini in a folder of its own that the test writes and reads back byte for byte.
class TempSettingsFile {
public:
    QString path() const { return filePath(QStringLiteral("settings.ini")); }
    QString filePath(const QString& name) const { return dir_.filePath(name); }
    void write(const QByteArray& bytes) const {
        QFile f(path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray bytes() const {
        QFile f(path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private:
    QTemporaryDir dir_;
};

}  // namespace pelmo::test
