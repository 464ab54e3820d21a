#pragma once

#include <QDialog>
#include <memory>

#include "archives/message_transfer.h"
#include "context/program_context.h"

namespace Ui {
class THlaseni;
}

class QAction;

namespace pelmo {

// The station messages window: reads the log when shown, lists it and exports it.
class THlaseni final : public QDialog, private MessageView {
    Q_OBJECT
public:
    THlaseni(StationPort& port, ProgramContext& program, QWidget* parent = nullptr);
    ~THlaseni() override;

    MessageTransfer& transfer() { return transfer_; }

    // Shows a message log kept in the history instead of reading the station.
    void openStored(const QByteArray& log);
    void setCaptions();
    void FormShow();
    void m_exportClick();
    void saveDefault();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void messageStatus(const QString& text) override;
    void transferRunning(bool running) override;
    void tableFilled() override;
    void transferEnded(bool ok) override;
    void sizeGrid();

    std::unique_ptr<Ui::THlaseni> ui;
    MessageTransfer transfer_;
    QMenu* dataMenu_ = nullptr;
    QAction* exportItem_ = nullptr;
    bool started_ = false;
    bool stored_ = false;
};

}  // namespace pelmo
