#include "skin/skin_selector.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>

#include "skin/native_skin_engine.h"
#include "skin/skin_engine.h"
#include "skin/skin_table.h"

namespace lumaru {
namespace {

// Watches the selector's popup for being hidden: that is the list closing, whether an item was
// chosen or not.
class ListClosedWatcher final : public QObject {
public:
    ListClosedWatcher(QComboBox* selector, QWidget* popup)
        : QObject(selector), selector_(selector) {
        popup->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Hide) {
            // The combo box hides the list before it takes on the chosen item, so the selection
            // is read once the current event is done.
            QMetaObject::invokeMethod(
                selector_, [selector = selector_] { ApplySkinOfItem(selector->currentIndex()); },
                Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QComboBox* selector_;
};

}  // namespace

void ApplySkinOfItem(int index) {
    if (index < 0 || index >= static_cast<int>(kSkinCount)) {
        return;
    }
    ApplySkin(SkinTable()[static_cast<std::size_t>(index)], "", 0, 0, 0, ProgramSkinEngine());
}

void ApplyStartSkin() {
    ApplySkinOfItem(kStartSkinIndex);
}

void ConnectSkinSelector(QComboBox* selector) {
    if (!selector) {
        return;
    }
    // The list lives in a popup window of its own, made on first use of view().
    new ListClosedWatcher(selector, selector->view()->window());
}

}  // namespace lumaru
