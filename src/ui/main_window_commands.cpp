// The main window's station commands: reading, station files, new station.
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <algorithm>

#include "base/cp1250.h"
#include "base/field_check.h"
#include "base/prompts.h"
#include "base/texts.h"
#include "editing/meter_definition_window.h"
#include "files/program_folder.h"
#include "files/program_settings.h"
#include "files/station_file.h"
#include "operations/lock_window.h"
#include "operations/memory_info_window.h"
#include "operations/programming_window.h"
#include "operations/station_compare_window.h"
#include "services/sound.h"
#include "ui/main_window.h"
#include "ui/serial_host_window.h"
#include "ui_main_window.h"

namespace pelmo {

namespace {
const char* const kStationFilter = "Definice stanice (*.sta)|*.sta|Všechny soubory (*.*)|*.*";

StationFileOptions fileOptions(const ProgramSettings& settings) {
    return {settings.isGasVersion()};
}
}  // namespace

StationBoxes TZobrStanice::boxes() const {
    return {ui->e_nazev->text(), ui->e_meridlo->text(), ui->e_hlaseni->text(),
            ui->e_adresa->text()};
}

void TZobrStanice::setBoxes(const StationBoxes& b) {
    ui->e_nazev->setText(b.name);
    ui->e_meridlo->setText(b.meter);
    ui->e_hlaseni->setText(b.messages);
    ui->e_adresa->setText(b.address);
}

void TZobrStanice::setTopMenusEnabled(bool on) {
    for (const char* name : {"m_zakladni", "m_dalsi", "m_nastaveniMenu"}) {
        if (auto* menu = findChild<QMenu*>(QString::fromLatin1(name))) {
            menu->menuAction()->setEnabled(on);
        }
    }
}

void TZobrStanice::setStationBoxesEnabled(bool on) {
    ui->e_nazev->setEnabled(on);
    ui->e_hlaseni->setEnabled(on);
    ui->e_adresa->setEnabled(on);
}

void TZobrStanice::stopProgress() {
    progressTimer_.stop();
    ui->b_prerusit->setEnabled(false);
    ui->ProgressBar1->hide();
}

void TZobrStanice::adoptConnectEngine(std::unique_ptr<TCommunication> engine) {
    reader_.adopt(std::move(engine));
}

// ---- reading ----

void TZobrStanice::m_cteniClick() {
    reader_.start();
}

void TZobrStanice::b_prerusitClick() {
    if (backup_) {
        backup_->interrupt();
        return;
    }
    reader_.interrupt();
}

void TZobrStanice::readStarting() {
    lastFile_.clear();
    clearGridAndBoxes();
    ui->ProgressBar1->setValue(0);
    ui->ProgressBar1->show();
    progressTimer_.start();
    ui->b_prerusit->setEnabled(true);
    ui->b_prerusit->setFocus();
    setTopMenusEnabled(false);
}

void TZobrStanice::readStatus(const QString& text) {
    setStatusText(text);
}

void TZobrStanice::channelDecoded(int channel) {
    fillChannelRow(channel);
    host_.showNote(QString::number(image_.channel(channel).table_points));
}

void TZobrStanice::stationDecoded() {
    ui->e_nazev->setText(fromCp1250(image_.station.name));
    ui->e_adresa->setText(QString::number(image_.station.net_address));
    ui->e_meridlo->setText(fromCp1250(image_.station.meter_name));
    ui->e_hlaseni->setText(QString::number(image_.station.messages_total));
}

void TZobrStanice::readCompleted() {
    stopProgress();
    setTopMenusEnabled(true);
    setStationBoxesEnabled(true);
    setMeterBoxEnabled(true);
    action("m_ulozeni")->setEnabled(true);
    action("m_programovani")->setEnabled(true);
    markVariantChannels();
}

void TZobrStanice::readFailed() {
    stopProgress();
    ui->ProgressBar1->setValue(0);
    // The image is partly refilled: programming it would erase the station for half a
    // configuration.
    action("m_programovani")->setEnabled(false);
    action("m_ulozeni")->setEnabled(false);
    setTopMenusEnabled(true);
}

void TZobrStanice::readInterrupted() {
    stopProgress();
    action("m_programovani")->setEnabled(false);
    action("m_ulozeni")->setEnabled(false);
    setStationBoxesEnabled(false);
    setMeterBoxEnabled(false);
    setTopMenusEnabled(true);
}

// ---- station files ----

QString TZobrStanice::confirmationText(bool withName) const {
    QString text = txt(kTextCurrentStationWillBe);
    const QString status = statusText();
    const bool shown = status == txt(kTextDataLoaded) || status == txt(kTextNewStation142);
    if (withName && shown && !image_.station.name.empty()) {
        // The name goes after the first 18 characters of the question.
        text.insert(std::min<qsizetype>(18, text.size()),
                    QStringLiteral(" \"%1\" ").arg(fromCp1250(image_.station.name)));
    }
    return text;
}

void TZobrStanice::loadSucceeded() {
    fillFromImage();
    setFileText(QFileInfo(lastFile_).fileName());
    setStatusText(txt(kTextDataLoaded));
    image_.station_loaded = true;
    action("m_ulozeni")->setEnabled(true);
    action("m_programovani")->setEnabled(true);
    setStationBoxesEnabled(true);
    setMeterBoxEnabled(true);
}

void TZobrStanice::loadFailed() {
    setStatusText(txt(kTextDataNotLoaded));
    action("m_programovani")->setEnabled(false);
    action("m_ulozeni")->setEnabled(false);
    setStationBoxesEnabled(false);
    setMeterBoxEnabled(true);
}

void TZobrStanice::m_definovaniClick() {
    ui->ProgressBar1->hide();
    findChild<QMenu*>(QStringLiteral("m_dalsi"))->menuAction()->setEnabled(true);
    if (!program_.prompts().yesNo(confirmationText(true))) {
        return;
    }
    resetNewStation(image_);
    FileDialogSpec spec;
    spec.title = QString::fromUtf8("Otevřít soubor stanice");
    spec.filter = QString::fromUtf8(kStationFilter);
    spec.defaultExtension = QStringLiteral("sta");
    const QString file = program_.prompts().openFile(spec);
    if (!file.isEmpty()) {
        lastFile_ = file;
        if (!loadStationFileReporting(file, image_, fileOptions(program_.settings),
                                      program_.prompts())) {
            image_.station_loaded = false;
            loadFailed();
            return;
        }
    }
    loadSucceeded();
}

void TZobrStanice::consoleLoadStationFile() {
    if (host_.busy()) {
        return;
    }
    FileDialogSpec spec;
    spec.title = QStringLiteral("Definice stanice");
    spec.filter = QString::fromUtf8(kStationFilter);
    spec.defaultExtension = QStringLiteral("sta");
    const QString file = program_.prompts().openFile(spec);
    if (file.isEmpty()) {
        return;
    }
    resetNewStation(image_);
    const StationFileResult loaded =
        loadStationFile(file, image_, fileOptions(program_.settings), program_.prompts());
    if (loaded != StationFileResult::Ok) {
        if (loaded == StationFileResult::Corrupt) {
            program_.prompts().error(QString::fromUtf8(
                "Chybný formát dat ve vstupním souboru. Soubor je zřejmě poškozen."));
        }
        // Nothing was loaded: the main window must not say it was.
        image_.station_loaded = false;
        clearGridAndBoxes();
        loadFailed();
        return;
    }
    lastFile_ = file;
    loadSucceeded();
}

void TZobrStanice::m_ulozeniClick() {
    StationBoxes b = boxes();
    if (!checkStationDefinition(b, image_, program_.prompts())) {
        return;
    }
    setBoxes(b);
    storeBoxes(b, image_);
    FileDialogSpec spec;
    spec.title = QString::fromUtf8("Uložit data stanice");
    spec.filter = QString::fromUtf8(kStationFilter);
    spec.defaultExtension = QStringLiteral("sta");
    spec.initialName = lastFile_;
    const QString file = program_.prompts().saveFile(spec);
    if (file.isEmpty()) {
        return;
    }
    switch (saveStationFile(file, image_, fileOptions(program_.settings), program_.prompts())) {
        case StationFileResult::Ok:
            lastFile_ = file;
            setFileText(QFileInfo(file).fileName());
            break;
        default:
            break;  // the file error box has been shown
    }
}

void TZobrStanice::m_novaClick() {
    ui->ProgressBar1->hide();
    findChild<QMenu*>(QStringLiteral("m_dalsi"))->menuAction()->setEnabled(true);
    if (!program_.prompts().yesNo(confirmationText(false))) {
        return;
    }
    resetNewStation(image_);
    lastFile_.clear();
    fillFromImage();
    setFileText(QString());
    image_.station_loaded = true;
    setStatusText(txt(kTextNewStation142));
    action("m_ulozeni")->setEnabled(true);
    setStationBoxesEnabled(true);
    setMeterBoxEnabled(true);
}

void TZobrStanice::e_hlaseniExit() {
    // The message box itself takes the focus away; that must not check the box again.
    if (checkingMessages_) {
        return;
    }
    checkingMessages_ = true;
    const QString value = ui->e_hlaseni->text();
    if (validateField(value, txt(kTextMessagesTotal), FieldKind::Integer, program_.prompts(),
                      false)) {
        image_.station.messages_total = value.toInt();
    } else {
        ui->e_hlaseni->setFocus();
    }
    checkingMessages_ = false;
}

}  // namespace pelmo

namespace pelmo {

// ---- programming and locking ----

void TZobrStanice::m_programovaniClick() {
    StationBoxes b = boxes();
    if (!checkStationDefinition(b, image_, program_.prompts())) {
        return;
    }
    setBoxes(b);
    if (!program_.prompts().yesNo(txt(kTextCurrentStationWillBe))) {
        return;
    }
    storeBoxes(b, image_);
    // The station's own configuration is saved before the run erases it.
    StationBackup::Options backup;
    backup.baseFolder = program_.folder;
    backup.gasVersion = program_.settings.isGasVersion();
    BackupView& view = *this;
    backup_ = std::make_unique<StationBackup>(host_.port(), program_.link, program_.prompts(), view,
                                              backup);
    ui->ProgressBar1->setValue(0);
    ui->ProgressBar1->show();
    progressTimer_.start();
    ui->b_prerusit->setEnabled(true);
    setTopMenusEnabled(false);
    backup_->start(image_);
}

void TZobrStanice::backupStatus(const QString& text) {
    setStatusText(text);
}

void TZobrStanice::backupEnded(bool ok) {
    // The read sequence is still on the stack; the programming window opens after it.
    QTimer::singleShot(0, this, [this, ok] {
        const QString file = backup_ ? backup_->file() : QString();
        backup_.reset();
        stopProgress();
        setTopMenusEnabled(true);
        if (ok || program_.prompts().yesNo(txt(kTextTheStationBackupCould))) {
            runProgramming(file);
        }
    });
}

void TZobrStanice::runProgramming(const QString& backupFile) {
    StationProgrammer::Options options;
    options.checking = program_.settings.checking;
    options.programDir = QCoreApplication::applicationDirPath();
    options.completionTone = [this] { playSignal(program_.settings, SoundSignal::Completion); };
    options.recordState = &program_.archiveRecord;
    TProgressForm form(host_.port(), program_, options, this);
    form.setTrafficLogClearer([this] { host_.trafficLog().clear(); });
    form.exec();
    const bool erased = form.programmer().eraseSent();
    const bool failed = form.ending() != ProgrammingView::Ending::Finished;
    // After a run of failures the backup to go back to is the working station's, kept.
    const QString restore =
        StationBackup::programmingEnded(program_.folder, image_.cmos.serial_number, backupFile,
                                        StationBackup::runEnd(!failed, erased));
    // A programmed file may have moved the station to another address before the failure.
    const int answering = form.programmer().answeringAddress();
    if (form.ending() != ProgrammingView::Ending::Failed || !erased || restore.isEmpty() ||
        !program_.prompts().yesNo(txt(kTextProgrammingFailedAfterThe)
                                      .arg(QDir::toNativeSeparators(restore))
                                      .arg(answering))) {
        return;
    }
    // The operator takes the backup back into the station, where it answers now.
    resetNewStation(image_);
    if (!loadStationFileReporting(restore, image_, fileOptions(program_.settings),
                                  program_.prompts())) {
        loadFailed();
        return;
    }
    image_.bus_address = answering;
    lastFile_ = restore;
    loadSucceeded();
    runProgramming(restore);
}

void TZobrStanice::m_porovnaniClick() {
    FileDialogSpec spec;
    spec.title = txt(kTextStationAndFileComparison);
    spec.filter = QString::fromUtf8(kStationFilter);
    spec.defaultExtension = QStringLiteral("sta");
    const QString file = program_.prompts().openFile(spec);
    if (file.isEmpty()) {
        return;
    }
    StationImage fromFile;
    if (!loadStationFileReporting(file, fromFile, fileOptions(program_.settings),
                                  program_.prompts())) {
        return;
    }
    TPorovnani window(host_.port(), program_, fromFile, file, this);
    window.exec();
}

void TZobrStanice::m_uzamceniClick() {
    TLockStation form(host_.port(), program_, this);
    form.setStationShown([this] { stationDecoded(); });
    form.exec();
}

}  // namespace pelmo

namespace pelmo {

// ---- editors ----

bool TZobrStanice::menuShortcut(const QKeyEvent& key) const {
    const QKeySequence keys(key.keyCombination());
    const auto actions = findChildren<QAction*>();
    return std::any_of(actions.begin(), actions.end(), [&keys](const QAction* a) {
        return a->isEnabled() && !a->shortcut().isEmpty() && a->shortcut() == keys;
    });
}

bool TZobrStanice::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride &&
        menuShortcut(*static_cast<QKeyEvent*>(event))) {
        // Not taken by the edit box: the menu's shortcut runs.
        event->ignore();
        return true;
    }
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (watched == ui->e_meridlo) {
            e_meridloDblClick();
            return true;
        }
        if (watched == ui->e_hlaseni) {
            i_pametClick();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TZobrStanice::e_meridloDblClick() {
    if (host_.busy()) {
        return;
    }
    if (!image_.station_loaded) {
        program_.prompts().warning(txt(kTextDataIncomplete));
        return;
    }
    TDefMeridla editor(
        image_, program_.prompts(), program_.settings.isGasVersion(),
        [this] { markVariantChannels(); }, this);
    editor.exec();
}

void TZobrStanice::i_pametClick() {
    const QString messages = ui->e_hlaseni->text();
    if (!validateField(messages, txt(kTextMessagesTotal), FieldKind::Integer, program_.prompts(),
                       true)) {
        return;
    }
    image_.station.messages_total = messages.size() > 4 ? 9999 : messages.toInt();
    if (!checkStationMemory(image_, program_.prompts())) {
        return;
    }
    TmemInfo window(image_, this);
    window.exec();
}

}  // namespace pelmo
