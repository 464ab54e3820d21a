#include "widgets/gui_prompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace pelmo {

namespace {

QMessageBox::Icon iconFor(Prompts::Kind kind) {
    switch (kind) {
        case Prompts::Kind::Error:
            return QMessageBox::Critical;
        case Prompts::Kind::Warning:
            return QMessageBox::Warning;
        case Prompts::Kind::Information:
            return QMessageBox::Information;
        case Prompts::Kind::Confirmation:
            return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QWidget* parentWindow() {
    return QApplication::activeWindow();
}

QString withDefaultExtension(QString name, const FileDialogSpec& spec) {
    QString ext = spec.defaultExtension;
    ext.remove(QLatin1Char('*'));
    if (ext.startsWith(QLatin1Char('.'))) {
        ext.remove(0, 1);
    }
    if (!name.isEmpty() && !ext.isEmpty() && QFileInfo(name).suffix().isEmpty()) {
        name += QLatin1Char('.') + ext;
    }
    return name;
}

QFileDialog* makeDialog(const FileDialogSpec& spec) {
    auto* dialog = new QFileDialog(parentWindow(), spec.title, spec.initialDir);
    dialog->setNameFilter(qtFileFilter(spec.filter));
    if (!spec.initialName.isEmpty()) {
        dialog->selectFile(spec.initialName);
    }
    return dialog;
}

}  // namespace

QString qtFileFilter(const QString& pipeFilter) {
    const QStringList parts = pipeFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString name = parts[i];
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        // Delphi-style names often already show their patterns in brackets.
        const qsizetype bracket = name.indexOf(QLatin1Char('('));
        if (bracket >= 0) {
            name = name.left(bracket).trimmed();
        }
        filters << QStringLiteral("%1 (%2)").arg(name, patterns);
    }
    return filters.join(QStringLiteral(";;"));
}

void GuiPrompts::show(Kind kind, const QString& text) {
    QMessageBox box(iconFor(kind), QString::fromLatin1(kApplicationTitle), text, QMessageBox::Ok,
                    parentWindow());
    box.exec();
}

bool GuiPrompts::askYesNo(Kind kind, const QString& text) {
    QMessageBox box(iconFor(kind), QString::fromLatin1(kApplicationTitle), text,
                    QMessageBox::Yes | QMessageBox::No, parentWindow());
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

QString GuiPrompts::openFile(const FileDialogSpec& spec) {
    QScopedPointer<QFileDialog> dialog(makeDialog(spec));
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) {
        return {};
    }
    return dialog->selectedFiles().constFirst();
}

QString GuiPrompts::saveFile(const FileDialogSpec& spec) {
    QScopedPointer<QFileDialog> dialog(makeDialog(spec));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    QString ext = spec.defaultExtension;
    ext.remove(QLatin1Char('*')).remove(QLatin1Char('.'));
    dialog->setDefaultSuffix(ext);
    if (!spec.confirmOverwrite) {
        dialog->setOption(QFileDialog::DontConfirmOverwrite);
    }
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) {
        return {};
    }
    return withDefaultExtension(dialog->selectedFiles().constFirst(), spec);
}

}  // namespace pelmo
