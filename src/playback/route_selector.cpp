#include "playback/route_selector.h"

#include <QComboBox>

#include "playback/route_table.h"

namespace lumaru {

void FillRouteSelector(QComboBox* selector) {
    for (const char* name : kRouteNames) {
        selector->addItem(QString::fromUtf8(name));
    }
    selector->setCurrentIndex(0);
}

}  // namespace lumaru
