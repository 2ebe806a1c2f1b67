#include "shell_fixture.h"

#include <QApplication>

#include "app/main_window.h"
#include "app/shared_state.h"
#include "app/toolkit/window_registry.h"
#include "gui_test_support.h"

namespace lumaru::test {

void ShellTest::SetUp() {
    server_ = std::make_unique<LoopbackHttpServer>([this](const Request& request) {
        if (request.target == "/config.html") {
            return Reply::Ok(configPage_);
        }
        const std::string popupMarker = "/popup.html?to=";
        if (request.target.rfind(popupMarker, 0) == 0) {
            const std::string to = request.target.substr(popupMarker.size());
            return Reply::Ok("<html><body>popup<script>window.open('" + to +
                             "');</script></body></html>");
        }
        return Reply::Ok("<html><body>page " + request.target + "</body></html>");
    });
    SetEndpoints(LoopbackEndpoints(*server_));
    std::string entries;
    const char* keys[] = {"edition111", "edition88", "edition333", "edition4", "edition5",
                          "edition6",   "edition7",  "edition8",   "edition9"};
    for (int route = 0; route < 9; ++route) {
        entries +=
            std::string("[") + keys[route] + "]=" + RoutePrefix(route) + "[/" + keys[route] + "]";
    }
    entries += "[edition12]=Lumaru远程标题[/edition12][edition13]=" + server_->Url("/small.html") +
               "[/edition13][edition3]=3.00[/edition3][editionn3]=3.00[/editionn3]";
    configPage_ = ConfigPage(entries);
    desktop_ = &InstallRecordingDesktop();
}

void ShellTest::LoadMain() {
    main_ = LoadWindow<MainWindow>();
    ASSERT_TRUE(main_->isVisible());
}

void ShellTest::TearDown() {
    CloseAllWindowsAndReset();
    server_.reset();
}

std::string ShellTest::RoutePrefix(int route) const {
    return server_->Url("/route/" + std::to_string(route) + "?u=");
}

}  // namespace lumaru::test
