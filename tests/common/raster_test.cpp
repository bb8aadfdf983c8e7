#include "common/raster.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

using common::Raster;

// Small rasters come from the heap, big ones (2 MB and more) are mapped from the system; both
// must behave alike.
class RasterSizes : public testing::TestWithParam<std::pair<int, int>> {};

TEST_P(RasterSizes, StartsBlackWithZeroPaddingAndRowsFourByteAligned) {
    const auto [w, h] = GetParam();
    const Raster r(w, h);
    EXPECT_EQ(r.stride() % 4, 0);
    EXPECT_GE(r.stride(), 3 * w);
    EXPECT_EQ(r.byteSize(), std::size_t(r.stride()) * std::size_t(h));
    for (std::size_t i = 0; i < r.byteSize(); i += 997)
        ASSERT_EQ(r.data()[i], 0) << i;
    EXPECT_EQ(r.data()[r.byteSize() - 1], 0);
}

TEST_P(RasterSizes, CopiesAreEqualAndIndependentMovesLeaveTheSourceEmpty) {
    const auto [w, h] = GetParam();
    Raster a(w, h);
    a.setPixel(0, 0, 0xABCDEF);
    a.setPixel(w - 1, h - 1, 0x123456); // the same pixel when 1 x 1
    const common::Rgb first = a.pixel(0, 0);

    Raster copy(a);
    EXPECT_EQ(copy, a);
    copy.setPixel(0, 0, 0);
    EXPECT_EQ(a.pixel(0, 0), first);

    Raster assigned(w, h); // same size: the memory is reused
    assigned = a;
    EXPECT_EQ(assigned, a);
    Raster other(3, 2); // another size
    other = a;
    EXPECT_EQ(other, a);
    EXPECT_EQ(other.stride(), a.stride());

    Raster source(a);
    Raster moved(std::move(source));
    EXPECT_TRUE(source.isEmpty());
    EXPECT_EQ(source.data(), nullptr);
    EXPECT_EQ(moved.pixel(w - 1, h - 1), 0x123456u);
    other = std::move(moved);
    EXPECT_TRUE(moved.isEmpty());
    EXPECT_EQ(other.pixel(w - 1, h - 1), 0x123456u);

    a.fill(0);
    EXPECT_EQ(a, Raster(w, h));
    a.fill(0x010203);
    EXPECT_EQ(a.pixel(w / 2, h / 2), 0x010203u);
}

INSTANTIATE_TEST_SUITE_P(Sizes, RasterSizes,
                         testing::Values(std::pair{1, 1}, std::pair{5, 3}, std::pair{1001, 701},
                                         std::pair{2000, 1000}));

TEST(Raster, EmptyAndNegativeSizesHoldNothing) {
    for (const Raster& r : {Raster(), Raster(0, 10), Raster(-4, 3), Raster(7, 0)}) {
        EXPECT_TRUE(r.isEmpty());
        EXPECT_EQ(r.byteSize(), 0u);
        EXPECT_EQ(Raster(r), r);
    }
}

} // namespace
