#include <gtest/gtest.h>

#include <stdexcept>

#include "core/AppContext.h"
#include "core/Profile.h"
#include "core/Settings.h"
#include "core/Timer.h"
#include "report/AutoPublish.h"
#include "tests/native/ReportFakes.h"

namespace {

struct CheckTimer : ITimer {
    bool running = false;
    int starts = 0, stops = 0;
    void start() override {
        running = true;
        ++starts;
    }
    void stop() override {
        running = false;
        ++stops;
    }
};

class AutoPublishing : public ::testing::Test {
protected:
    AutoPublishing() {
        profile.writeInt(sectionPublish(), "AutoPublish", 1);
    }

    // Runs one check; returns how often it published.
    int check() {
        int published = 0;
        autoPublishCheck(context, timer, last, [&] {
            ++published;
            EXPECT_EQ(last, clock.t) << "the time is set before publishing";
        });
        return published;
    }

    MemoryProfile profile;
    ReportClock clock;
    CNoMessages noMessages;
    AppContext context{profile, noMessages, clock, systemFileSystem()};
    CheckTimer timer;
    TimeValue last = 0;
};

TEST_F(AutoPublishing, PublishesWhenThePeriodHasPassed) {
    profile.writeInt(sectionPublish(), "Every", 1);  // a day
    last = clock.t - 23 * 3600;
    EXPECT_EQ(check(), 0);
    EXPECT_EQ(last, clock.t - 23 * 3600);
    EXPECT_TRUE(timer.running);

    clock.t += 3600;  // exactly a day since
    EXPECT_EQ(check(), 1);
    EXPECT_EQ(last, clock.t);
    clock.t += 60;
    EXPECT_EQ(check(), 0) << "the next check starts a new day";
    EXPECT_EQ(timer.stops, 3) << "every check kills its timer first";
    EXPECT_EQ(timer.starts, 3);
}

TEST_F(AutoPublishing, EveryPeriod) {
    const int periods[] = {3600, 86400, 604800, 2592000, 30672000};  // 30 and 355 days
    for (int every = 0; every < 5; ++every) {
        profile.writeInt(sectionPublish(), "Every", every);
        last = clock.t - periods[every] + 1;
        EXPECT_EQ(check(), 0) << every;
        last = clock.t - periods[every];
        EXPECT_EQ(check(), 1) << every;
    }
    profile.writeInt(sectionPublish(), "Every", 9);  // unreadable: the default, a week
    last = clock.t - 604800 + 1;
    EXPECT_EQ(check(), 0);
    last = clock.t - 604800;
    EXPECT_EQ(check(), 1);
}

TEST_F(AutoPublishing, AFreshUserPublishesAtTheFirstCheck) {
    last = 315536460;  // the default 1980-01-01 01:01 (UTC in the tests)
    EXPECT_EQ(check(), 1);
    EXPECT_EQ(last, clock.t);
}

TEST_F(AutoPublishing, OffOrDisabledStopsTheTimerAndPublishesNothing) {
    last = 0;
    timer.running = true;
    profile.writeInt(sectionPublish(), "AutoPublish", 0);
    EXPECT_EQ(check(), 0);
    EXPECT_FALSE(timer.running);
    EXPECT_EQ(timer.starts, 0);

    profile.writeInt(sectionPublish(), "AutoPublish", 1);
    profile.writeInt(sectionGeneral(), "Disable", 1);
    EXPECT_EQ(check(), 0);
    EXPECT_FALSE(timer.running);
    EXPECT_EQ(last, 0);

    profile.writeInt(sectionGeneral(), "Disable", 0);
    EXPECT_EQ(check(), 1);
    EXPECT_TRUE(timer.running);
}

TEST_F(AutoPublishing, AFailedPublicationStillCounts) {
    last = 0;
    EXPECT_THROW(autoPublishCheck(context, timer, last, [] { throw std::runtime_error("disk gone"); }),
                 std::runtime_error);
    EXPECT_EQ(last, clock.t);
    EXPECT_TRUE(timer.running);
}

}  // namespace
