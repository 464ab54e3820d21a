#pragma once

#include <QString>
#include <QTimer>

#include "link/station_sequence.h"

namespace pelmo {

// What the search window shows.
class AddressSearchView {
public:
    virtual ~AddressSearchView() = default;
    virtual void searchStatus(const QString& text) = 0;
    // The address being probed (the progress bar).
    virtual void probing(int address) = 0;
    // Row `found` (1..32) of the result grids: the address answered, or, with address 0,
    // the station behind it gave no name and the row is free again.
    virtual void addressAnswered(int found, int address) = 0;
    // Entry found - 1 of the address list now holds the station.
    virtual void stationFound(int found, int address, const QString& name) = 0;
    virtual void searchEnded() = 0;
};

// Walks the bus from the first address to the last: a quick COMM probe at each, and for
// every address that answers READ_STATION for its name and END_COMM, then a pause before
// the next probe. The stations found fill entries 0..31 of the address list in the order
// found; the 33rd ends the search unrecorded.
class AddressSearch final : public StationSequence {
public:
    static constexpr int kFirstAddress = 1;
    static constexpr int kLastAddress = 250;
    static constexpr int kMaxStations = 32;
    static constexpr int kPauseMs = 200;

    AddressSearch(StationPort& port, LinkContext& link, Prompts& prompts, AddressSearchView& view,
                  int first = kFirstAddress, int last = kLastAddress);
    ~AddressSearch() override;

    // Clears entries 0..31 of the address list (the window's creation).
    static void clearFound(StationImage& image);

    void start();
    // "Stop": polling ends, END_COMM is sent and its completion ends the search.
    void stop();
    // The bus address from before the search (closing the window).
    void restoreAddress();

    // The pause between a station's END_COMM and the next probe; tests end it at once.
    bool pausing() const { return pause_.isActive(); }
    void pauseElapsed();
    bool finished() const { return finished_; }
    int foundCount() const { return found_ - 1; }

private:
    void completion(ExchangeResult result) override;
    void probe();
    void end();

    AddressSearchView& view_;
    int first_;
    int last_;
    int found_ = 1;
    int savedAddress_ = 0;
    bool saved_ = false;
    bool stopping_ = false;
    bool finished_ = false;
    QTimer pause_;
};

}  // namespace pelmo
