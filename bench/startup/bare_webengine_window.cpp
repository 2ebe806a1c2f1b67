// The start-up benchmark's baseline: a window holding nothing but a browser view, as large as
// Lumaru's main window.
//   bare_webengine_window          the view gets its page and opens about:blank before it is
//                                  shown, so the browser engine is up when the window appears,
//                                  as it is in Lumaru's main window
//   bare_webengine_window --lazy   the view is shown before it has a page; the engine starts
//                                  after the show
#include <QApplication>
#include <QUrl>
#include <QWebEngineView>
#include <cstring>

#include "shown_reporter.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const bool lazy = argc > 1 && std::strcmp(argv[1], "--lazy") == 0;
    QWebEngineView view;
    lumaru::bench::ShownReporter reporter([&view](QObject* object) { return object == &view; });
    application.installEventFilter(&reporter);
    if (!lazy) {
        view.setUrl(QUrl(QStringLiteral("about:blank")));
    }
    view.resize(965, 532);
    view.move(50, 50);
    view.show();
    return application.exec();
}
