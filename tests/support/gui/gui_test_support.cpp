#include "gui_test_support.h"

#include <QApplication>

#include "app/shared_state.h"
#include "app/toolkit/window_registry.h"
#include "loopback_http_server.h"

namespace lumaru::test {

Endpoints LoopbackEndpoints(const LoopbackHttpServer& server) {
    const std::string host = "127.0.0.1:" + std::to_string(server.Port());
    Endpoints endpoints;
    endpoints.remoteConfig = server.Url("/config.html");
    endpoints.radio = server.Url("/radio.html");
    endpoints.feedback = server.Url("/feedback.html");
    endpoints.contact = server.Url("/contact.html");
    endpoints.chatGroup = server.Url("/group.html");
    endpoints.chatGroupNumber = "123456";
    endpoints.internetProbe = server.Url("/probe");
    endpoints.defaultVideo = server.Url("/v_19rrm66em8.html");
    endpoints.platformHosts = {host, host, host, host, host};
    return endpoints;
}

void CloseAllWindowsAndReset() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<ToolkitWindow*>(widget)) {
            DestroyWindow(window);
        }
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Program::Instance().Reset();
    State() = SharedState{};
    SetEndpoints(DefaultEndpoints());
}

std::string ConfigPage(const std::string& entries) {
    return "<html><body><!-- 正文开始 -->" + entries + "<!-- 正文结束 --></body></html>";
}

}  // namespace lumaru::test
