#pragma once

#include <QPointer>
#include <functional>
#include <vector>

#include "app/toolkit/window.h"

namespace lumaru {

// Decides when the program ends: while it is starting nothing ends it; once its event loop runs,
// the destruction of its last open window does. A hidden window still counts as open.
class Program final {
public:
    enum class Phase { Starting, Running, Ending };

    static Program& Instance();

    Phase CurrentPhase() const { return phase_; }
    int OpenWindowCount() const;

    // Runs the event loop while a window is open, then the exit routine, once.
    void RegisterExitRoutine(std::function<void()> routine);
    int RunEventLoop();

    template <typename W>
    W* Find() const {
        for (const auto& window : open_) {
            if (auto* found = qobject_cast<W*>(window.data())) {
                return found;
            }
        }
        return nullptr;
    }

    void WindowOpened(ToolkitWindow* window);
    void WindowDestroyed(ToolkitWindow* window);

    // Back to a fresh start, for a process that starts the program more than once (tests).
    void Reset();

private:
    Phase phase_ = Phase::Starting;
    std::vector<QPointer<ToolkitWindow>> open_;
    std::function<void()> exitRoutine_;
};

// Loads the window of type W: each window exists at most once, so a window that is already open
// is brought to the front instead.
template <typename W, typename... Args>
W* LoadWindow(Args&&... args) {
    if (W* open = Program::Instance().Find<W>()) {
        open->show();
        open->raise();
        open->activateWindow();
        return open;
    }
    auto* window = new W(std::forward<Args>(args)...);
    FinishLoading(window);
    return window;
}

template <typename W>
W* FindWindow() {
    return Program::Instance().Find<W>();
}

}  // namespace lumaru
