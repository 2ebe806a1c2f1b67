#include "playback/route_test_window.h"

#include <QComboBox>
#include <QPushButton>

#include "app/endpoints.h"
#include "app/main_window.h"
#include "app/shared_state.h"
#include "app/toolkit/browser.h"
#include "app/toolkit/gbk_text.h"
#include "app/toolkit/layout.h"
#include "playback/route_selector.h"
#include "playback/route_table.h"

namespace lumaru {
namespace {

constexpr ControlSpec kRouteTestLayout[] = {
    {"标签1", ControlKind::Label, nullptr, 56, 0, 56, 40, "测试线路："},
    {"组合框1", ControlKind::ComboList, nullptr, 136, 8, 88, 20},
    {"按钮1", ControlKind::Button, nullptr, 264, 8, 72, 24, "测试播放"},
    {"超文本浏览框1", ControlKind::Browser, nullptr, 0, 32, 592, 328},
};

}  // namespace

RouteTestWindow::RouteTestWindow() {
    setWindowTitle(QString());
    BuildLayout(this, kRouteTestLayout);
    SetOuterGeometry(50, 50, 595, 390);
    auto* routes = Control<QComboBox>(this, "组合框1");
    FillRouteSelector(routes);
    connect(Control<QPushButton>(this, "按钮1"), &QPushButton::clicked, this,
            &RouteTestWindow::TestRoute);
    // A pop-up shows in this browser itself.
    auto* browser = Control<Browser>(this, "超文本浏览框1");
    browser->OnNewWindowRequested([browser](const QString& address) {
        browser->SetAddress(address);
        return false;
    });
}

void RouteTestWindow::Created() {
    SetMainWindowVisible(false);
}

void RouteTestWindow::AboutToBeDestroyed() {
    SetMainWindowVisible(true);
}

void RouteTestWindow::TestRoute() {
    const int route = Control<QComboBox>(this, "组合框1")->currentIndex();
    if (route < 0 || route >= kRouteCount) {
        return;
    }
    const auto samples = RouteSampleTable(CurrentEndpoints());
    Control<Browser>(this, "超文本浏览框1")
        ->SetAddress(FromGbk(ComposeRouteAddress(State().routeTable, route,
                                                 samples[static_cast<std::size_t>(route)])));
}

}  // namespace lumaru
