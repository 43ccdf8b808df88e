// Rounding of extended reals; its fault out of range is a row of the fault
// tests.
#include "runtime/FloatingPoint.h"

#include <gtest/gtest.h>

namespace {

using namespace Runtime;

TEST(Rounding, TiesGoToTheEvenNeighbour) {
    const std::pair<long double, std::int32_t> cases[] = {
        {0.5L, 0}, {1.5L, 2}, {2.5L, 2}, {-0.5L, 0}, {-1.5L, -2}, {2.5000000001L, 3}, {-2.7L, -3}};
    for (auto [value, rounded] : cases)
        EXPECT_EQ(Round(value), rounded) << static_cast<double>(value);
}

} // namespace
