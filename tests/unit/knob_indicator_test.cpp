// Where the knob's dot lands for each value.
#include "display/knob_indicator.h"
#include "display/panel.h"

#include <gtest/gtest.h>

namespace {

struct KnobCase {
    uint32_t value;
    uint32_t count;
    double x;
    double y;
};

const KnobCase WORKED_POSITIONS[] = {
    {0, 127, 377, 66}, // window creation
    {0, 128, 377, 66},  {1, 128, 376, 66},   {32, 128, 368, 38},  {64, 128, 392, 20},
    {96, 128, 416, 38}, {127, 128, 408, 66}, {127, 127, 407, 66}, // knob drag to the top of Patch or Volume
    {5, 11, 387, 21},   {10, 11, 415, 57},   {10, 10, 407, 66},   // knob drag to the top of Octave
    {15, 16, 413, 60},  {11, 12, 414, 58},   {5, 10, 392, 20},    // half the count is straight up
};

TEST(KnobIndicator, WorkedPositions) {
    for (const KnobCase& c : WORKED_POSITIONS) {
        const POINT dot = knobIndicatorPosition(c.value, c.count);
        EXPECT_EQ(dot.x, c.x) << c.value << " of " << c.count;
        EXPECT_EQ(dot.y, c.y) << c.value << " of " << c.count;
    }
}

TEST(KnobIndicator, StaysInsideTheKnobForEveryValueAnyCallerPasses) {
    for (uint32_t count : {128u, 16u, 11u, 12u, 127u, 15u, 10u}) {
        for (uint32_t value = 0; value <= count; ++value) {
            const POINT dot = knobIndicatorPosition(value, count);
            EXPECT_GE(dot.x, 366);
            EXPECT_LE(dot.x + 18, 446);
            EXPECT_GE(dot.y, 20);
            EXPECT_LE(dot.y + 17, 102);
            // Ends of the sweep mirror each other about x 392.
            if (value == 0 || value == count) {
                EXPECT_EQ(dot.y, 66) << value << " of " << count;
            }
        }
    }
}

} // namespace
