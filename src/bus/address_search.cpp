#include "bus/address_search.h"

#include "base/cp1250.h"
#include "base/texts.h"
#include "link/block_codecs.h"

namespace pelmo {

AddressSearch::AddressSearch(StationPort& port, LinkContext& link, Prompts& prompts,
                             AddressSearchView& view, int first, int last)
    : StationSequence(port, link, prompts), view_(view), first_(first), last_(last) {
    pause_.setSingleShot(true);
    pause_.setInterval(kPauseMs);
    QObject::connect(&pause_, &QTimer::timeout, &pause_, [this] { pauseElapsed(); });
}

AddressSearch::~AddressSearch() {
    pause_.stop();
}

void AddressSearch::clearFound(StationImage& image) {
    for (int i = 0; i < kMaxStations; ++i) {
        image.address_list[static_cast<std::size_t>(i)] = TAddressList{};
    }
}

void AddressSearch::start() {
    StationImage& img = image();
    found_ = 1;
    finished_ = false;
    stopping_ = false;
    link_.rx->reset();
    if (!saved_) {
        savedAddress_ = img.bus_address;
        saved_ = true;
    }
    img.bus_address = first_;
    view_.searchStatus(txt(kTextInitializingConnection));
    begin();
    probe();
}

void AddressSearch::restoreAddress() {
    if (saved_) {
        image().bus_address = savedAddress_;
        saved_ = false;
    }
}

void AddressSearch::probe() {
    state_ = COMM;
    engine_->probe();
}

void AddressSearch::pauseElapsed() {
    pause_.stop();
    if (engine_ && !stopping_) {
        probe();
    }
}

void AddressSearch::stop() {
    if (!engine_ || stopping_) {
        return;
    }
    stopping_ = true;
    pause_.stop();
    engine_->stop();
    send(END_COMM);
}

void AddressSearch::end() {
    pause_.stop();
    release();
    finished_ = true;
    view_.searchStatus(txt(kTextSearchCompleted));
    view_.searchEnded();
}

void AddressSearch::completion(ExchangeResult result) {
    const bool failed = result == ExchangeResult::Failed;
    if (!engine_) {
        return;
    }
    StationImage& img = image();
    const int a = img.bus_address;
    if (stopping_) {
        end();
        return;
    }
    switch (state_) {
        case COMM:
            view_.probing(a);
            view_.searchStatus(txt(kTextSearchInProgress) + QString::number(a));
            if (!failed) {
                acknowledge();
                if (found_ > kMaxStations) {
                    end();
                    return;
                }
                view_.addressAnswered(found_, a);
                send(READ_STATION);
            } else {
                if (a >= last_ || found_ > kMaxStations) {
                    end();
                    return;
                }
                img.bus_address = a + 1;
                probe();
            }
            break;
        case READ_STATION:
            if (!failed) {
                acknowledge();
                stanice_rec named;
                decodeStation(answer(), named);
                TAddressList& entry = img.address_list[static_cast<std::size_t>(found_ - 1)];
                entry.address = a;
                entry.name = named.name;
                view_.stationFound(found_, a, fromCp1250(named.name));
                ++found_;
            } else {
                // No name, no entry: the row that showed the address is free again.
                view_.addressAnswered(found_, 0);
            }
            // END_COMM still belongs to this address (the bus health counts it here); the
            // next probe's address is set once it is done.
            send(END_COMM);
            break;
        case END_COMM:
            // The station at the last address is listed too; after it nothing is left.
            if (a >= last_) {
                img.bus_address = last_;
                end();
                return;
            }
            img.bus_address = a + 1;
            pause_.start();
            break;
        default:
            break;
    }
}

}  // namespace pelmo
