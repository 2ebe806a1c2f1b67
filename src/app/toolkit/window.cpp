#include "app/toolkit/window.h"

#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QSystemTrayIcon>

#include "app/toolkit/window_registry.h"

namespace lumaru {

ToolkitWindow::ToolkitWindow() : QWidget(nullptr) {
    // Closing hides and schedules deletion through DestroyWindow, never Qt's own delete.
    setAttribute(Qt::WA_DeleteOnClose, false);
}

ToolkitWindow::~ToolkitWindow() {
    if (!destroyed_) {
        Program::Instance().WindowDestroyed(this);
    }
}

void ToolkitWindow::SetOuterGeometry(int left, int top, int width, int height) {
    const QRect frame = frameGeometry();
    const QRect client = geometry();
    const int extraWidth = frame.width() - client.width();
    const int extraHeight = frame.height() - client.height();
    resize(std::max(0, width - extraWidth), std::max(0, height - extraHeight));
    MoveTo(left, top);
    // Before its first showing a window does not know its frame yet.
    if (!testAttribute(Qt::WA_WState_Created) || !isVisible()) {
        pendingOuterSize_ = QSize(width, height);
    }
}

void ToolkitWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (const auto outer = std::exchange(pendingOuterSize_, std::nullopt)) {
        const QSize frameExtra = frameGeometry().size() - geometry().size();
        if (!frameExtra.isNull()) {
            resize((*outer - frameExtra).expandedTo(QSize(0, 0)));
        }
    }
}

void ToolkitWindow::MoveTo(int left, int top) {
    move(left, top);
}

int ToolkitWindow::ReadPositionState() const {
    if (isMinimized()) {
        return kPositionMinimised;
    }
    if (isMaximized()) {
        return kPositionMaximised;
    }
    return kPositionNormal;
}

void ToolkitWindow::WritePositionState(int state) {
    switch (state) {
        case kPositionRestoreCentred: {
            setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
            if (isVisible()) {
                showNormal();
            }
            const QScreen* screen =
                this->screen() ? this->screen() : QGuiApplication::primaryScreen();
            if (screen) {
                QRect frame = frameGeometry();
                frame.moveCenter(screen->availableGeometry().center());
                move(frame.topLeft());
            }
            break;
        }
        case kPositionMinimised:
            setWindowState((windowState() & ~Qt::WindowMaximized) | Qt::WindowMinimized);
            break;
        case kPositionMaximised:
            setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowMaximized);
            break;
        default:
            setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
            break;
    }
}

void ToolkitWindow::SetAlwaysOnTop(bool onTop) {
    if (AlwaysOnTop() == onTop) {
        return;
    }
    const bool wasVisible = isVisible();
    // Changing window flags hides a shown window; put it back as it was.
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (wasVisible) {
        show();
    }
}

bool ToolkitWindow::AlwaysOnTop() const {
    return windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void ToolkitWindow::SetTrayIcon(const QIcon& icon, const QString& tip) {
    if (!tray_) {
        tray_ = new QSystemTrayIcon(this);
        connect(tray_, &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) {
                    switch (reason) {
                        case QSystemTrayIcon::Trigger:
                            TrayEvent(kTrayLeftRelease);
                            break;
                        case QSystemTrayIcon::DoubleClick:
                            TrayEvent(kTrayLeftDoubleClick);
                            break;
                        case QSystemTrayIcon::Context:
                            TrayEvent(kTrayContextMenu);
                            break;
                        default:
                            break;
                    }
                });
    }
    tray_->setIcon(icon);
    tray_->setToolTip(tip);
    tray_->show();
}

void ToolkitWindow::PopUpTrayMenu(QMenu* menu) {
    if (!menu) {
        return;
    }
    const QRect icon = tray_ ? tray_->geometry() : QRect();
    menu->popup(icon.isValid() ? icon.center() : QCursor::pos());
}

void ToolkitWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    DestroyWindow(this);
}

void ToolkitWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (loaded_ && !destroyed_) {
        SizeChanged(OuterWidth(), OuterHeight());
    }
}

void ToolkitWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (loaded_ && !destroyed_) {
        PositionChanged();
    }
}

void ToolkitWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && loaded_ && !destroyed_) {
        PositionChanged();
    }
}

void DestroyWindow(ToolkitWindow* window) {
    if (!window || window->destroyed_) {
        return;
    }
    window->destroyed_ = true;
    window->AboutToBeDestroyed();
    if (window->tray_) {
        window->tray_->hide();
    }
    window->hide();
    window->deleteLater();
    Program::Instance().WindowDestroyed(window);
}

void FinishLoading(ToolkitWindow* window) {
    Program::Instance().WindowOpened(window);
    window->Created();
    window->loaded_ = true;
    // A window the handler hid (or showed) keeps that state; one it destroyed stays gone.
    if (!window->destroyed_ && !window->testAttribute(Qt::WA_WState_ExplicitShowHide)) {
        window->show();
    }
}

}  // namespace lumaru
