#pragma once

#include <QString>

#include "base/prompts.h"
#include "files/archive_file.h"
#include "files/program_settings.h"
#include "link/bus_statistics.h"
#include "link/communication.h"
#include "link/receive_state.h"
#include "link/request_table.h"
#include "model/station_image.h"

namespace pelmo {

class ReadingObserver;

// Everything one running program shares: the station image, the settings, where files go,
// the prompts, the bus and what the sequences report to. The GUI makes one for its windows,
// pelmo-cli one per session, a test one per fixture; nothing else holds these.
class ProgramContext {
public:
    // `folder`: where station folders and backups are made; `prompts`: every box and dialog.
    ProgramContext(QString folder, Prompts& prompts);
    ProgramContext(const ProgramContext&) = delete;
    ProgramContext& operator=(const ProgramContext&) = delete;

    // What windows and sequences are given: it passes every box on to the prompts set last,
    // so a sequence built before a change of prompts shows its boxes through the new ones.
    Prompts& prompts() { return routed_; }
    // Hands every box and dialog to `prompts` from now on; returns the prompts they went to
    // before. Handing them to prompts() itself would route them in a circle.
    Prompts& setPrompts(Prompts& prompts) {
        Q_ASSERT(&prompts != &routed_);
        Prompts& previous = *routed_.target;
        routed_.target = &prompts == &routed_ ? routed_.target : &prompts;
        return previous;
    }

    StationImage station;
    ProgramSettings settings;
    // The station clock and the values of the last archive read, as the files keep them.
    ArchiveRecordState archiveRecord;
    BusStatistics statistics;
    TxBuffer tx{};
    ReceiveState rx;
    // The engines' link over the image, buffers and statistics above.
    LinkContext link;
    // Where station folders and backups are made.
    QString folder;
    // The serial console's traffic log; empty: none is kept.
    QString trafficLog;
    // Told of completed readings; null: nothing is recorded.
    ReadingObserver* history = nullptr;
    // The history database the history window shows; empty: none.
    QString historyDatabase;

private:
    struct RoutedPrompts final : Prompts {
        explicit RoutedPrompts(Prompts& to) : target(&to) {}
        void show(Kind kind, const QString& text) override { target->show(kind, text); }
        bool askYesNo(Kind kind, const QString& text) override {
            return target->askYesNo(kind, text);
        }
        QString openFile(const FileDialogSpec& spec) override { return target->openFile(spec); }
        QString saveFile(const FileDialogSpec& spec) override { return target->saveFile(spec); }
        Prompts* target;
    };
    RoutedPrompts routed_;
};

}  // namespace pelmo
