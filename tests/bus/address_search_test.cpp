#include "bus/address_search.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "base/texts.h"
#include "bus/address_map.h"
#include "link/bus_statistics.h"
#include "scripted_prompts.h"
#include "sim_link.h"

namespace pelmo {
namespace {

struct RecordingSearchView final : AddressSearchView {
    void searchStatus(const QString& text) override { status = text; }
    void probing(int address) override { lastProbe = address; }
    void addressAnswered(int found, int address) override { rows[found] = address; }
    void stationFound(int found, int address, const QString& name) override {
        stations.emplace_back(found, address, name);
    }
    void searchEnded() override { ++ended; }

    QString status;
    int lastProbe = 0;
    std::map<int, int> rows;
    std::vector<std::tuple<int, int, QString>> stations;
    int ended = 0;
};

class Search : public ::testing::Test {
protected:
    Search() { link.image.bus_address = 77; }

    // Drives the engine and ends the pauses between stations at once.
    void run(int stopAfterPolls = -1) {
        for (int polls = 0; polls < 3000000 && !search.finished(); ++polls) {
            if (polls == stopAfterPolls) {
                search.stop();
            }
            if (search.pausing()) {
                link.sim.advance(AddressSearch::kPauseMs);
                search.pauseElapsed();
            } else if (TCommunication* e = search.engine()) {
                link.sim.advance(kProbeIntervalMs);
                e->poll();
            }
        }
    }
    std::vector<std::string> sent() const { return link.requests(false); }

    test::SimLink link;
    test::ScriptedPrompts prompts;
    RecordingSearchView view;
    AddressSearch search{link.port, link.context, prompts, view};
};

TEST_F(Search, FindsTheStationsInAddressOrderAndSkipsSilentOnes) {
    link.bus.addStation(3).setName("Kotelna 3");
    link.bus.addStation(9).faults().settings().silent = true;
    link.bus.addStation(17).setName("Predavaci");
    link.image.address_list[5] = TAddressList{99, "stale"};
    AddressSearch::clearFound(link.image);
    BusStatistics statistics;
    link.context.statistics = &statistics;
    search.start();
    run();
    link.context.statistics = nullptr;
    // A found station's three exchanges count at its own address, none at the next one.
    EXPECT_EQ(statistics.byAddress().at(3).exchanges, 3);
    EXPECT_EQ(statistics.byAddress().at(4).exchanges, 1);
    EXPECT_EQ(statistics.byAddress().at(17).exchanges, 3);
    EXPECT_EQ(statistics.byAddress().at(18).exchanges, 1);

    ASSERT_EQ(view.stations.size(), 2u);
    EXPECT_EQ(view.stations[0], std::make_tuple(1, 3, QStringLiteral("Kotelna 3")));
    EXPECT_EQ(view.stations[1], std::make_tuple(2, 17, QStringLiteral("Predavaci")));
    EXPECT_EQ(link.image.address_list[0].address, 3);
    EXPECT_EQ(link.image.address_list[1].name, "Predavaci");
    EXPECT_EQ(link.image.address_list[5].address, 0);
    EXPECT_EQ(view.ended, 1);
    EXPECT_EQ(view.status, txt(kTextSearchCompleted));
    // Every address to 250 was probed, never 251 (a station sits there on this bus).
    EXPECT_EQ(view.lastProbe, 250);
    EXPECT_EQ(search.foundCount(), 2);
    search.restoreAddress();
    EXPECT_EQ(link.image.bus_address, 77);

    // A found station gets COMM, READ_STATION and END_COMM; silent addresses only probes.
    const auto order = sent();
    const auto named = std::find(order.begin(), order.end(), "READ_STATION");
    ASSERT_NE(named, order.end());
    EXPECT_EQ(*(named + 1), "END_COMM");
    EXPECT_EQ(std::count(order.begin(), order.end(), "READ_STATION"), 2);
}

TEST_F(Search, AStationThatGivesNoNameIsNotListedAndFreesItsRow) {
    link.bus.addStation(2).faults().settings().noAnswer.set(READ_STATION);
    link.bus.addStation(4).setName("Ctyrka");
    search.start();
    run();
    ASSERT_EQ(view.stations.size(), 1u);
    EXPECT_EQ(view.stations[0], std::make_tuple(1, 4, QStringLiteral("Ctyrka")));
    EXPECT_EQ(link.image.address_list[0].address, 4);
    EXPECT_EQ(link.image.address_list[1].address, 0);
}

TEST_F(Search, TheLastAddressIsListedAndThe33rdStationIsNot) {
    AddressSearch wide{link.port, link.context, prompts, view, 200, 250};
    for (int a = 201; a <= 233; ++a) {
        link.bus.addStation(a);
    }
    link.bus.addStation(250);
    wide.start();
    for (int polls = 0; polls < 3000000 && !wide.finished(); ++polls) {
        if (wide.pausing()) {
            wide.pauseElapsed();
        } else if (TCommunication* e = wide.engine()) {
            link.sim.advance(kProbeIntervalMs);
            e->poll();
        }
    }
    ASSERT_EQ(view.stations.size(), 32u);
    EXPECT_EQ(std::get<1>(view.stations.back()), 232);
    // The 33rd answer ends the search at once: 233 is probed, nothing further.
    EXPECT_EQ(view.lastProbe, 233);

    RecordingSearchView lastView;
    AddressSearch::clearFound(link.image);
    AddressSearch tail{link.port, link.context, prompts, lastView, 248, 250};
    tail.start();
    for (int polls = 0; polls < 100000 && !tail.finished(); ++polls) {
        if (tail.pausing()) {
            tail.pauseElapsed();
        } else if (TCommunication* e = tail.engine()) {
            link.sim.advance(kProbeIntervalMs);
            e->poll();
        }
    }
    ASSERT_EQ(lastView.stations.size(), 1u);
    EXPECT_EQ(std::get<1>(lastView.stations[0]), 250);
    EXPECT_EQ(lastView.ended, 1);
}

TEST_F(Search, StopDuringAProbeEndsAfterOneEndComm) {
    search.start();
    run(40);
    EXPECT_EQ(view.ended, 1);
    const auto order = sent();
    ASSERT_FALSE(order.empty());
    // Nobody is in session to answer it, so END_COMM is repeated, but nothing else follows.
    const auto first = std::find(order.begin(), order.end(), "END_COMM");
    ASSERT_NE(first, order.end());
    EXPECT_TRUE(
        std::all_of(first, order.end(), [](const std::string& r) { return r == "END_COMM"; }));
    EXPECT_EQ(view.lastProbe, 0);
}

// ---- address maps ----

AddressEntries entries(std::initializer_list<TAddressList> found) {
    AddressEntries list{};
    std::size_t i = 0;
    for (const TAddressList& e : found) {
        list[i++] = e;
    }
    list[kUserAddressEntry] = TAddressList{251, ""};
    return list;
}

TEST(AddressMap, LinesAreFixedWidthWithTheNameCutAndCommasAndDegreesMapped) {
    const AddressEntries list =
        entries({{5, "Kotelna Jih"}, {0, "skipped"}, {117, "A,b\xB0"}, {12, ""}});
    EXPECT_EQ(encodeAddressMap(list), QByteArray("5    Kotelna\r\n"
                                                 "117  A.b\xF8   \r\n"
                                                 "12          \r\n"));
}

TEST(AddressMap, ReadsBackAddressAndTrimmedName) {
    AddressEntries list = entries({{1, "old"}, {2, "old"}, {3, "old"}});
    ASSERT_TRUE(decodeAddressMap(QByteArray("5    Kotelna\r\n117  A.b\xF8    \r\n"), list));
    EXPECT_EQ(list[0].address, 5);
    EXPECT_EQ(list[0].name, "Kotelna");
    EXPECT_EQ(list[1].address, 117);
    EXPECT_EQ(list[1].name, "A.b\xB0");
    // Entries beyond the map are free; the user's entry is not the map's.
    EXPECT_EQ(list[2].address, 0);
    EXPECT_EQ(list[kUserAddressEntry].address, 251);
    ASSERT_TRUE(decodeAddressMap(QByteArray(), list));
    EXPECT_EQ(list[0].address, 0);
}

TEST(AddressMap, MalformedOrOversizedMapsAreRefusedAndLeaveTheList) {
    QByteArray full;
    for (int i = 1; i <= 32; ++i) {
        full += QByteArray::number(i).leftJustified(3, ' ') + "  N      \r\n";
    }
    AddressEntries list = entries({{9, "keep"}});
    ASSERT_TRUE(decodeAddressMap(full, list));
    EXPECT_EQ(list[31].address, 32);

    list = entries({{9, "keep"}});
    for (const QByteArray& bad :
         {full + "33   N      \r\n", QByteArray("5\r\n"), QByteArray("5    Kotelna"),
          QByteArray("x    N\r\n"), QByteArray("0    N\r\n"), QByteArray("252  N\r\n")}) {
        EXPECT_FALSE(decodeAddressMap(bad, list)) << bad.toStdString();
        EXPECT_EQ(list[0].address, 9);
        EXPECT_EQ(list[1].address, 0);
    }
}

TEST(AddressMap, FileRoundTripAndFailures) {
    QTemporaryDir dir;
    test::ScriptedPrompts prompts;
    const QString path = dir.filePath(QStringLiteral("bus.map"));
    const AddressEntries list = entries({{3, "Tri"}, {17, "Sedmnact"}});
    ASSERT_EQ(saveAddressMap(path, list, prompts), MapFileResult::Ok);
    AddressEntries back{};
    ASSERT_EQ(loadAddressMap(path, back, prompts), MapFileResult::Ok);
    EXPECT_EQ(back[1].address, 17);
    EXPECT_EQ(back[1].name, "Sedmnac");
    EXPECT_TRUE(prompts.shown.empty());

    EXPECT_EQ(loadAddressMap(dir.filePath(QStringLiteral("none.map")), back, prompts),
              MapFileResult::FileError);
    EXPECT_EQ(saveAddressMap(dir.filePath(QStringLiteral("no/such/dir.map")), list, prompts),
              MapFileResult::FileError);
    EXPECT_EQ(prompts.shown.size(), 2u);
}

}  // namespace
}  // namespace pelmo
