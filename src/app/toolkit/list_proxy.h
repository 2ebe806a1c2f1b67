#pragma once

#include <QPointer>
#include <QTreeWidget>
#include <memory>
#include <stop_token>
#include <string>

namespace lumaru {

// A list control as a worker thread sees it. Every operation is carried out on the GUI thread,
// in the order issued; the ones that answer (append, cell, row count) wait for the answer, and
// give up when the worker's stop is requested. Once the list is gone every operation does
// nothing and the waiting ones answer -1 or "".
class ListProxy final {
public:
    // Made on the GUI thread.
    explicit ListProxy(QTreeWidget* list);

    void DeleteAllRows();
    int AppendRow(std::stop_token stop);
    void SetCell(int row, int column, std::string gbkText);
    std::string Cell(int row, int column, std::stop_token stop);
    int RowCount(std::stop_token stop);
    void DeleteRow(int row);

private:
    struct Target;
    std::shared_ptr<Target> target_;
};

}  // namespace lumaru
