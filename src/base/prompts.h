#pragma once

#include <QString>

namespace pelmo {

struct FileDialogSpec {
    QString title;
    // Filter in "Description|*.ext|Other|*.*" form, as the windows describe it.
    QString filter;
    QString defaultExtension;
    QString initialDir;
    QString initialName;
    bool confirmOverwrite = false;
};

// Every message box and file dialog goes through here, so that tests can script the
// answers and the command-line tool can print instead of showing windows.
class Prompts {
public:
    enum class Kind { Error, Warning, Information, Confirmation };

    virtual ~Prompts() = default;

    virtual void show(Kind kind, const QString& text) = 0;
    // Yes/No question; `kind` chooses the icon.
    virtual bool askYesNo(Kind kind, const QString& text) = 0;
    // Empty when cancelled.
    virtual QString openFile(const FileDialogSpec& spec) = 0;
    virtual QString saveFile(const FileDialogSpec& spec) = 0;

    void error(const QString& text) { show(Kind::Error, text); }
    void warning(const QString& text) { show(Kind::Warning, text); }
    void information(const QString& text) { show(Kind::Information, text); }
    bool yesNo(const QString& text) { return askYesNo(Kind::Confirmation, text); }
};

// Text 312 followed by a location tag such as " 2.5: CMOS - progr.", shown as an error.
void reportGeneralError(Prompts& where, const char* tag);

}  // namespace pelmo
