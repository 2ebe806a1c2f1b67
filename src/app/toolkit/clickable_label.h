#pragma once

#include <QLabel>

namespace lumaru {

// A label that reports the left button going down on it: the program's links and the
// transparent labels that act as buttons.
class ClickableLabel final : public QLabel {
    Q_OBJECT

public:
    explicit ClickableLabel(QWidget* parent = nullptr);

signals:
    void LeftButtonPressed();

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

}  // namespace lumaru
