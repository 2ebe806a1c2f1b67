#pragma once

#include <time.h>
#include <unistd.h>
#include <QEvent>
#include <QObject>
#include <functional>
#include <string>

namespace lumaru::bench {

// The descriptor on which the start-up benchmark listens for "shown <nanoseconds>": the moment,
// on the monotonic clock, that the watched window received its first show event.
inline constexpr int kReportDescriptor = 3;

// Watches every object's events and reports the first show event of a widget `isWatched`
// accepts. Installed on the application object before the first window is made.
class ShownReporter final : public QObject {
public:
    explicit ShownReporter(std::function<bool(QObject*)> isWatched)
        : isWatched_(std::move(isWatched)) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!reported_ && event->type() == QEvent::Show && isWatched_(watched)) {
            reported_ = true;
            timespec now{};
            clock_gettime(CLOCK_MONOTONIC, &now);
            const long long nanoseconds = now.tv_sec * 1'000'000'000LL + now.tv_nsec;
            const std::string line = "shown " + std::to_string(nanoseconds) + "\n";
            [[maybe_unused]] const ssize_t written =
                write(kReportDescriptor, line.data(), line.size());
        }
        return false;
    }

private:
    std::function<bool(QObject*)> isWatched_;
    bool reported_ = false;
};

}  // namespace lumaru::bench
