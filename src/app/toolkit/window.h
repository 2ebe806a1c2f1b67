#pragma once

#include <QIcon>
#include <QString>
#include <QWidget>
#include <optional>

class QMenu;
class QSystemTrayIcon;

namespace lumaru {

// Position states of a window: read as 0 normal, 2 minimised, 3 maximised; writing 1 restores
// the window and centres it on its screen.
enum PositionState : int {
    kPositionNormal = 0,
    kPositionRestoreCentred = 1,
    kPositionMinimised = 2,
    kPositionMaximised = 3,
};

// Tray event codes handed to TrayEvent.
enum TrayCode : int {
    kTrayLeftRelease = 1,
    kTrayLeftDoubleClick = 2,
    kTrayContextMenu = 3,
};

// A top-level window of the program. It is loaded with LoadWindow, which runs Created before the
// window is first shown, and it ends with DestroyWindow (also when the user closes it), which runs
// AboutToBeDestroyed. Each window holds only its handlers; its controls come from a layout table.
class ToolkitWindow : public QWidget {
    Q_OBJECT

public:
    ToolkitWindow();
    ~ToolkitWindow() override;

    bool IsDestroyed() const { return destroyed_; }

    // Outer frame on screen, in pixels.
    int Left() const { return frameGeometry().left(); }
    int Top() const { return frameGeometry().top(); }
    int OuterWidth() const { return frameGeometry().width(); }
    int OuterHeight() const { return frameGeometry().height(); }
    void SetOuterGeometry(int left, int top, int width, int height);
    void MoveTo(int left, int top);

    int ReadPositionState() const;
    void WritePositionState(int state);
    void SetAlwaysOnTop(bool onTop);
    bool AlwaysOnTop() const;

    // Adds the window's tray icon or replaces its icon and tip.
    void SetTrayIcon(const QIcon& icon, const QString& tip);
    QSystemTrayIcon* TrayIcon() const { return tray_; }
    // Shows the menu at the tray icon (at the cursor where the tray has no place on screen).
    void PopUpTrayMenu(QMenu* menu);

    // Handlers a window may give; the toolkit calls them on the GUI thread.
    virtual void Created() {}
    virtual void AboutToBeDestroyed() {}
    virtual void SizeChanged(int /*outerWidth*/, int /*outerHeight*/) {}
    virtual void PositionChanged() {}
    virtual void TrayEvent(int /*code*/) {}

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    friend void DestroyWindow(ToolkitWindow* window);
    friend void FinishLoading(ToolkitWindow* window);

    // The outer size asked for before the frame was known; applied once the window shows.
    std::optional<QSize> pendingOuterSize_;
    bool destroyed_ = false;
    bool loaded_ = false;
    QSystemTrayIcon* tray_ = nullptr;
};

// Destroys a window: its AboutToBeDestroyed handler runs, it leaves the set of open windows, and
// it is deleted once control returns to the event loop. Destroying a destroyed window does nothing.
void DestroyWindow(ToolkitWindow* window);

// Registers a freshly built window, runs its Created handler and shows it, unless the handler hid
// it or destroyed it.
void FinishLoading(ToolkitWindow* window);

}  // namespace lumaru
