#include "app/toolkit/list_proxy.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <condition_variable>
#include <mutex>
#include <optional>

#include "app/toolkit/gbk_text.h"

namespace lumaru {

struct ListProxy::Target {
    QPointer<QTreeWidget> list;
};

namespace {

// Runs `operation` on the GUI thread after everything issued before it. The application object
// is the receiver, so the call is delivered even after the list itself is gone.
template <typename Operation>
void Post(Operation operation) {
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(operation),
                              Qt::QueuedConnection);
}

// Posts `operation` and waits for its result, or for the stop request.
template <typename Result, typename Operation>
Result Ask(Operation operation, Result whenAbandoned, std::stop_token stop) {
    struct Reply {
        std::mutex mutex;
        std::condition_variable_any ready;
        std::optional<Result> value;
    };
    auto reply = std::make_shared<Reply>();
    Post([reply, operation = std::move(operation)]() mutable {
        Result value = operation();
        std::lock_guard lock(reply->mutex);
        reply->value = std::move(value);
        reply->ready.notify_all();
    });
    std::unique_lock lock(reply->mutex);
    if (!reply->ready.wait(lock, stop, [&] { return reply->value.has_value(); })) {
        return whenAbandoned;
    }
    return std::move(*reply->value);
}

}  // namespace

ListProxy::ListProxy(QTreeWidget* list) : target_(std::make_shared<Target>(Target{list})) {}

void ListProxy::DeleteAllRows() {
    Post([target = target_] {
        if (target->list) {
            target->list->clear();
        }
    });
}

int ListProxy::AppendRow(std::stop_token stop) {
    return Ask(
        [target = target_]() -> int {
            if (!target->list) {
                return -1;
            }
            target->list->addTopLevelItem(new QTreeWidgetItem());
            return target->list->topLevelItemCount() - 1;
        },
        -1, stop);
}

void ListProxy::SetCell(int row, int column, std::string gbkText) {
    Post([target = target_, row, column, text = std::move(gbkText)] {
        if (!target->list) {
            return;
        }
        if (QTreeWidgetItem* item = target->list->topLevelItem(row); item && column >= 0) {
            item->setText(column, FromGbk(text));
        }
    });
}

std::string ListProxy::Cell(int row, int column, std::stop_token stop) {
    return Ask(
        [target = target_, row, column]() -> std::string {
            if (!target->list) {
                return {};
            }
            const QTreeWidgetItem* item = target->list->topLevelItem(row);
            return item && column >= 0 ? ToGbk(item->text(column)) : std::string();
        },
        std::string(), stop);
}

int ListProxy::RowCount(std::stop_token stop) {
    return Ask(
        [target = target_]() -> int {
            return target->list ? target->list->topLevelItemCount() : -1;
        },
        -1, stop);
}

void ListProxy::DeleteRow(int row) {
    Post([target = target_, row] {
        if (target->list) {
            delete target->list->takeTopLevelItem(row);
        }
    });
}

}  // namespace lumaru
