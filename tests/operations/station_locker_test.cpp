#include "operations/station_locker.h"

#include <gtest/gtest.h>

#include "base/texts.h"
#include "scripted_prompts.h"
#include "sim_link.h"

namespace pelmo {
namespace {

struct RecordingLockView final : LockView {
    void lockStatus(const QString& text) override { statuses.push_back(text); }
    void stationIdentified() override { ++identified; }
    void lockEnded(Ending e) override { ending = e; }
    std::vector<QString> statuses;
    int identified = 0;
    std::optional<Ending> ending;
};

class Locking : public ::testing::Test {
protected:
    void lock() {
        locker.start();
        link.run([this] { return locker.engine(); });
    }
    std::vector<std::string> order() const { return link.requests(false); }

    test::SimLink link;
    test::ScriptedPrompts prompts;
    RecordingLockView view;
    StationLocker locker{link.port, link.context, prompts, view};
};

TEST_F(Locking, ConfirmedLockIsVerifiedByReadingTheCmosBack) {
    prompts.answers = {true};
    lock();
    EXPECT_EQ(view.ending, LockView::Ending::Locked);
    EXPECT_EQ(order(), (std::vector<std::string>{"COMM", "READ_CMOS", "READ_STATUS", "READ_STATION",
                                                 "LOCK_STATION", "READ_CMOS", "END_COMM"}));
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, txt(kTextAreYouSureWantToLock) +
                                         QStringLiteral("Kotelna Jih") + txt(kTextItWillNotBe));
    EXPECT_EQ(view.statuses.back(), txt(kTextUnitLocked));
    EXPECT_TRUE(link.image.cmos.locked);
    EXPECT_EQ(view.identified, 1);
    EXPECT_TRUE(link.station->locked());
}

TEST_F(Locking, AnsweringNoSendsNoLockRequest) {
    prompts.answers = {false};
    lock();
    EXPECT_EQ(view.ending, LockView::Ending::Declined);
    EXPECT_EQ(order(), (std::vector<std::string>{"COMM", "READ_CMOS", "READ_STATUS", "READ_STATION",
                                                 "END_COMM"}));
    EXPECT_FALSE(link.station->locked());
}

TEST_F(Locking, AnAlreadyLockedStationIsOnlyReported) {
    sim::FaultSettings locked;
    locked.locked = true;
    link.station->addFaults(locked);
    lock();
    EXPECT_EQ(view.ending, LockView::Ending::AlreadyLocked);
    EXPECT_EQ(order(),
              (std::vector<std::string>{"COMM", "READ_CMOS", "READ_STATUS", "READ_STATION"}));
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].kind, Prompts::Kind::Warning);
    EXPECT_EQ(prompts.shown[0].text, txt(kTextUnitIsAlreadyLocked));
}

TEST_F(Locking, ALockThatDoesNotTakeEffectIsReported) {
    prompts.answers = {true};
    // The station acknowledges the lock but its CMOS block still says unlocked.
    link.tamper = [this](std::vector<std::uint8_t>& answer) {
        if (locker.step() == READ_CMOS_CHECK && answer.size() == 45) {
            answer[5 + 37] = 0x00;
            test::SimLink::reseal(answer);
        }
    };
    lock();
    EXPECT_EQ(view.ending, LockView::Ending::NotLocked);
    EXPECT_EQ(view.statuses.back(), txt(kTextErrorLockingUnit));
    EXPECT_FALSE(link.image.cmos.locked);
}

TEST_F(Locking, NoAnswerEndsWithTheConnectionError) {
    link.station->faults().settings().silent = true;
    lock();
    EXPECT_EQ(view.ending, LockView::Ending::Failed);
    EXPECT_TRUE(prompts.shownError(txt(kTextErrorConnectiongToDevice)));
    EXPECT_EQ(order().back(), "END_COMM");
}

}  // namespace
}  // namespace pelmo
