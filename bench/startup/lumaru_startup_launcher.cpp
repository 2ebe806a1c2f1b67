// Lumaru's own start-up for the start-up benchmark: the program as it ships, but with its outside
// addresses on the demo server whose port is the only argument, and with a desktop that answers
// the up-to-date message at once. It reports when the main window is first shown.
#include <QApplication>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/endpoints.h"
#include "app/main_window.h"
#include "app/program.h"
#include "app/toolkit/desktop.h"
#include "demo/demo_world.h"
#include "shown_reporter.h"

namespace {

// The system's desktop, except that message boxes are answered OK without being shown.
class AnsweringDesktop final : public lumaru::Desktop {
public:
    int MessageBox(const QString&, int, const QString&) override { return lumaru::kAnswerOk; }
    void OpenAddress(const QString& address) override { system_->OpenAddress(address); }
    bool InternetConnected() override { return system_->InternetConnected(); }

private:
    std::unique_ptr<lumaru::Desktop> system_ = lumaru::MakeSystemDesktop();
};

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const long port = argc > 1 ? std::strtol(argv[1], nullptr, 10) : lumaru::demo::kDemoPort;
    if (port <= 0 || port > 65535) {
        return 2;
    }
    lumaru::SetEndpoints(lumaru::demo::DemoEndpoints(static_cast<std::uint16_t>(port)));
    lumaru::SetDesktop(std::make_unique<AnsweringDesktop>());
    lumaru::bench::ShownReporter reporter(
        [](QObject* object) { return qobject_cast<lumaru::MainWindow*>(object) != nullptr; });
    application.installEventFilter(&reporter);
    return lumaru::ProgramStart();
}
