#include "cli/bus_scan.h"

#include <QCoreApplication>
#include <algorithm>

#include "base/texts.h"
#include "bus/address_search.h"
#include "cli/cli_session.h"
#include "link/communication.h"

namespace pelmo::cli {
namespace {

// The progress line follows the probe; each station goes to the command as it is found.
class ConsoleSearchView final : public AddressSearchView {
public:
    ConsoleSearchView(const StationImage& image, int last,
                      const std::function<void(const TAddressList&)>& found)
        : image_(image), last_(last), found_(found) {}
    void searchStatus(const QString&) override {}
    void probing(int address) override {
        address_ = address;
        show();
    }
    void addressAnswered(int, int) override {}
    void stationFound(int found, int, const QString&) override {
        ++count_;
        show();
        const auto& list = image_.address_list;
        if (found_ && found >= 1 && found <= static_cast<int>(list.size())) {
            found_(list[static_cast<std::size_t>(found - 1)]);
        }
    }
    void searchEnded() override { QCoreApplication::exit(kExitOk); }

private:
    void show() const {
        Progress::show(txt(kTextProbingFound).arg(address_).arg(last_).arg(count_));
    }

    const StationImage& image_;
    int last_;
    const std::function<void(const TAddressList&)>& found_;
    int address_ = 0;
    int count_ = 0;
};

bool readAddress(const CommandOptions& options, const QString& name, int fallback, int& out) {
    if (!options.has(name)) {
        out = fallback;
        return true;
    }
    const std::optional<int> address = parseBusAddress(options.value(name));
    out = address.value_or(0);
    return address.has_value();
}

}  // namespace

bool readAddressRange(const CommandOptions& options, int& first, int& last) {
    if (readAddress(options, QStringLiteral("from"), AddressSearch::kFirstAddress, first) &&
        readAddress(options, QStringLiteral("to"), AddressSearch::kLastAddress, last) &&
        first <= last) {
        return true;
    }
    usageError(QStringLiteral("--from and --to must be 1..251, from not above to"));
    return false;
}

std::vector<TAddressList> scanBus(Session& session, int first, int last,
                                  const std::function<void(const TAddressList&)>& found) {
    StationImage& image = session.program.station;
    AddressSearch::clearFound(image);
    ConsoleSearchView view(image, last, found);
    AddressSearch search(session.port, session.program.link, session.prompts, view, first, last);
    search.start();
    session.run();
    search.restoreAddress();
    Progress::show({});

    // The list is in the order found, which is address order; sorted all the same.
    std::vector<TAddressList> stations;
    for (const TAddressList& e : image.address_list) {
        if (e.address != 0) {
            stations.push_back(e);
        }
    }
    std::sort(stations.begin(), stations.end(),
              [](const TAddressList& a, const TAddressList& b) { return a.address < b.address; });
    return stations;
}

}  // namespace pelmo::cli
