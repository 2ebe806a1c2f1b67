#include "app/toolkit/clickable_label.h"

#include <QMouseEvent>

namespace lumaru {

ClickableLabel::ClickableLabel(QWidget* parent) : QLabel(parent) {}

void ClickableLabel::mousePressEvent(QMouseEvent* event) {
    QLabel::mousePressEvent(event);
    if (event->button() == Qt::LeftButton) {
        emit LeftButtonPressed();
    }
}

}  // namespace lumaru
