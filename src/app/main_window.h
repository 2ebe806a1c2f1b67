#pragma once

#include "app/toolkit/window.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QCheckBox;
class QFrame;
class QPushButton;

namespace lumaru {

class Browser;

// The start window: the main browser under a collapsible top bar (route selector, address box,
// play, site search, clear, always-on-top) and a collapsible side panel (skin selector and the
// links to the other windows). It minimises to the tray.
class MainWindow final : public ToolkitWindow {
    Q_OBJECT

public:
    MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    Browser* MainBrowser() const;

    void Created() override;
    void SizeChanged(int outerWidth, int outerHeight) override;
    void PositionChanged() override;
    void TrayEvent(int code) override;

    // The side panel and top bar in or out.
    void ToggleLayout();
    // Hides the start picture and the label that cover the main browser.
    void UncoverBrowser();

private:
    void ConnectHandlers();
    void GoHome();

    bool goingHome_ = false;
};

// Shows or hides the main window, if it still exists: the notice, route test and music windows
// hide it while they are open.
void SetMainWindowVisible(bool visible);

// Places a window with its left edge at the main window's right edge and its top at the main
// window's top.
void DockBesideMain(ToolkitWindow* window);

}  // namespace lumaru
