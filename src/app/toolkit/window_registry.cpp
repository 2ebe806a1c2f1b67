#include "app/toolkit/window_registry.h"

#include <QApplication>
#include <algorithm>

namespace lumaru {

Program& Program::Instance() {
    static Program program;
    return program;
}

int Program::OpenWindowCount() const {
    return static_cast<int>(std::count_if(open_.begin(), open_.end(),
                                          [](const auto& window) { return !window.isNull(); }));
}

void Program::RegisterExitRoutine(std::function<void()> routine) {
    exitRoutine_ = std::move(routine);
}

int Program::RunEventLoop() {
    if (OpenWindowCount() > 0) {
        phase_ = Phase::Running;
        QApplication::exec();
    }
    phase_ = Phase::Ending;
    // Windows destroyed before or without a loop are still waiting for deletion.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (auto routine = std::exchange(exitRoutine_, nullptr)) {
        routine();
    }
    return 0;
}

void Program::WindowOpened(ToolkitWindow* window) {
    open_.emplace_back(window);
}

void Program::WindowDestroyed(ToolkitWindow* window) {
    std::erase_if(open_, [window](const auto& open) { return open.isNull() || open == window; });
    if (phase_ == Phase::Running && OpenWindowCount() == 0) {
        QCoreApplication::exit(0);
    }
}

void Program::Reset() {
    phase_ = Phase::Starting;
    open_.clear();
    exitRoutine_ = nullptr;
}

}  // namespace lumaru
