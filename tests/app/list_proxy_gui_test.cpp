#include "app/toolkit/list_proxy.h"

#include <gtest/gtest.h>

#include <QTreeWidget>
#include <atomic>
#include <memory>

#include "app/worker.h"
#include "gui_test_support.h"

namespace lumaru::test {
namespace {

TEST(ListProxy, RowsFromAWorkerArriveInOrderWithTheirIndexes) {
    QTreeWidget list;
    list.setColumnCount(2);
    ListProxy proxy(&list);
    std::vector<int> indexes;
    std::atomic<bool> done = false;
    Worker worker([&, proxy](std::stop_token stop) mutable {
        proxy.DeleteAllRows();
        for (int i = 0; i < 50; ++i) {
            const int row = proxy.AppendRow(stop);
            indexes.push_back(row);
            proxy.SetCell(row, 0, std::to_string(i));
            proxy.SetCell(row, 1, "\xD6\xD0");  // 中 in GBK
        }
        EXPECT_EQ(proxy.Cell(49, 0, stop), "49");
        EXPECT_EQ(proxy.RowCount(stop), 50);
        proxy.DeleteRow(0);
        EXPECT_EQ(proxy.RowCount(stop), 49);
        done = true;
    });
    ASSERT_TRUE(WaitUntil([&] { return done.load(); }));
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(indexes[static_cast<std::size_t>(i)], i);
    }
    EXPECT_EQ(list.topLevelItem(0)->text(0), QStringLiteral("1"));
    EXPECT_EQ(list.topLevelItem(0)->text(1), QStringLiteral("中"));
}

TEST(ListProxy, AListThatGoesAwayWhileAWorkerRunsNeitherCrashesNorBlocks) {
    auto list = std::make_unique<QTreeWidget>();
    ListProxy proxy(list.get());
    std::atomic<int> appended = 0;
    std::atomic<int> refused = 0;
    auto worker = std::make_unique<Worker>([&, proxy](std::stop_token stop) mutable {
        while (!stop.stop_requested()) {
            const int row = proxy.AppendRow(stop);
            (row >= 0 ? appended : refused)++;
            proxy.SetCell(row, 0, "x");
        }
    });
    ASSERT_TRUE(WaitUntil([&] { return appended > 10; }));
    list.reset();
    ASSERT_TRUE(WaitUntil([&] { return refused > 10; }));
    // The GUI thread waits for the worker while the worker may be waiting for the GUI thread:
    // the stop request releases it.
    worker.reset();
    SUCCEED();
}

}  // namespace
}  // namespace lumaru::test
