#include "cli/bus_scan.h"

#include <QCoreApplication>
#include <algorithm>

#include "bus/address_search.h"
#include "cli/cli_session.h"
#include "link/communication.h"

namespace pelmo::cli {
namespace {

// The command prints what was found once the search has ended; nothing on the way.
class QuietSearchView final : public AddressSearchView {
public:
    void searchStatus(const QString&) override {}
    void probing(int) override {}
    void addressAnswered(int, int) override {}
    void stationFound(int, int, const QString&) override {}
    void searchEnded() override { QCoreApplication::exit(kExitOk); }
};

bool readAddress(const CommandOptions& options, const QString& name, int fallback, int& out) {
    if (!options.has(name)) {
        out = fallback;
        return true;
    }
    bool ok = false;
    out = options.value(name).toInt(&ok);
    return ok && out >= 1 && out <= kDefaultBusAddress;
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

std::vector<TAddressList> scanBus(Session& session, int first, int last) {
    StationImage& image = station();
    AddressSearch::clearFound(image);
    QuietSearchView view;
    AddressSearch search(session.port, defaultLinkContext(), &session.prompts, view, first, last);
    search.start();
    session.run();
    search.restoreAddress();

    // The list is in the order found, which is address order; sorted all the same.
    std::vector<TAddressList> found;
    for (const TAddressList& e : image.address_list) {
        if (e.address != 0) {
            found.push_back(e);
        }
    }
    std::sort(found.begin(), found.end(),
              [](const TAddressList& a, const TAddressList& b) { return a.address < b.address; });
    return found;
}

}  // namespace pelmo::cli
