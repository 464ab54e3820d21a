#pragma once

#include <QPointer>
#include <QWidget>

#include "base/prompts.h"
#include "base/version.h"

namespace pelmo {

// "Name|*.a;*.b|All|*.*" as the windows describe filters -> "Name (*.a *.b);;All (*.*)".
QString qtFileFilter(const QString& pipeFilter);

// Message boxes and file dialogs of the running GUI, parented to the active window.
class GuiPrompts final : public Prompts {
public:
    void show(Kind kind, const QString& text) override;
    bool askYesNo(Kind kind, const QString& text) override;
    QString openFile(const FileDialogSpec& spec) override;
    QString saveFile(const FileDialogSpec& spec) override;
};

}  // namespace pelmo
