#include "common/helpers.h"
#include <gtest/gtest.h>
TEST(Placeholder, Builds) { EXPECT_EQ(common::stripExtension("a.b"), "a"); }
