#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <vector>

#include "catalogue/PlayCursor.h"

namespace lum {
namespace {

GpsSample Fix(double latitude) {
    GpsSample s;
    s.fixFlags = 1;
    s.latitude = latitude;
    s.longitude = 13924.0;
    return s;
}

GpsSample Gap() {
    return GpsSample{};
}  // no fix: the camera lost the satellites

TEST(PlayCursorTest, RecordAndDrivenPartOfAPlayTime) {
    // Five records at 1 per second; the third has no fix.
    const std::vector<GpsSample> track = {Fix(3540.0), Fix(3541.0), Gap(), Fix(3543.0),
                                          Fix(3544.0)};
    struct Case {
        double rate;
        std::uint32_t ms;
        std::optional<std::size_t> record;
        std::size_t before;
        std::size_t plottableBefore;
    };
    const Case cases[] = {
        {1.0, 0, 0, 0, 0},                          // start
        {1.0, 999, 0, 0, 0},                        // just before the second record
        {1.0, 1000, 1, 1, 1},                       // exactly on a boundary
        {1.0, 2500, 2, 2, 2},                       // the gap is selected but not drawn
        {1.0, 3000, 3, 3, 2},                       // past the gap: it is not counted
        {1.0, 4999, 4, 4, 3},                       // inside the last record
        {1.0, 5000, std::nullopt, 5, 4},            // at the end of the last record
        {1.0, 4'000'000'000u, std::nullopt, 5, 4},  // far past the end
        {2.0, 1500, 3, 3, 2},                       // two records a second
        {0.5, 7999, 3, 3, 2},                       // one record every two seconds
        {0.0, 60000, 0, 0, 0},                      // a rate of zero stays on the first
        {std::numeric_limits<double>::quiet_NaN(), 1000, std::nullopt, 5, 4},  // no rate at all
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "rate " << c.rate << " ms " << c.ms);
        const PlayCursor cursor(track, c.rate);
        EXPECT_EQ(cursor.RecordAt(c.ms), c.record);
        const GpsSample* sample = cursor.SampleAt(c.ms);
        ASSERT_EQ(sample != nullptr, c.record.has_value());
        if (sample != nullptr) {
            EXPECT_EQ(sample, &track[*c.record]);
        }
        EXPECT_EQ(cursor.RecordsBefore(c.ms), c.before);
        EXPECT_EQ(cursor.PlottableBefore(c.ms), c.plottableBefore);
    }
}

TEST(PlayCursorTest, NoRecordsSelectsNothing) {
    const PlayCursor cursor({}, 1.0);
    for (const std::uint32_t ms : {0u, 1000u, 4'000'000'000u}) {
        EXPECT_EQ(cursor.RecordAt(ms), std::nullopt);
        EXPECT_EQ(cursor.SampleAt(ms), nullptr);
        EXPECT_EQ(cursor.RecordsBefore(ms), 0u);
        EXPECT_EQ(cursor.PlottableBefore(ms), 0u);
    }
}

}  // namespace
}  // namespace lum
