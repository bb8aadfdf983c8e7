#include "app/wait_cursor.h"

#include <QApplication>
#include <QCursor>
#include <gtest/gtest.h>

#include <new>

namespace {

// A picture too big for memory ends the opening with std::bad_alloc: the cursor must not stay.
TEST(WaitCursor, IsRestoredOnEveryWayOut) {
    ASSERT_EQ(QApplication::overrideCursor(), nullptr);
    {
        const app::WaitCursor wait;
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    try {
        const app::WaitCursor wait;
        throw std::bad_alloc();
    } catch (const std::bad_alloc&) {
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

} // namespace
