#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/endpoints.h"
#include "app/main_window.h"
#include "app/shared_state.h"
#include "app/toolkit/browser.h"
#include "app/toolkit/layout.h"
#include "app/toolkit/window_registry.h"
#include "demo/demo_pages.h"
#include "demo/demo_server.h"
#include "demo/demo_world.h"
#include "gui_test_support.h"
#include "recording_desktop.h"

namespace lumaru::demo {
namespace {

using namespace std::chrono_literals;

// The demo program's world in one process: the demo server on an ephemeral port and the
// program's windows on the demo endpoints.
class DemoWorldTest : public testing::Test {
protected:
    void SetUp() override {
        std::string error;
        server_ = StartDemoServer(0, &error);
        ASSERT_TRUE(server_) << error;
        base_ = DemoBase(server_->Port());
        SetEndpoints(DemoEndpoints(server_->Port()));
        desktop_ = &test::InstallRecordingDesktop();
    }

    void TearDown() override {
        test::CloseAllWindowsAndReset();
        server_.reset();
    }

    std::unique_ptr<HttpServer> server_;
    std::string base_;
    test::RecordingDesktop* desktop_ = nullptr;
};

TEST_F(DemoWorldTest, OpensWithTheDemoCaptionAndReplaysARoutePagesPopupOnce) {
    auto* main = LoadWindow<MainWindow>();
    ASSERT_TRUE(main->isVisible());
    EXPECT_EQ(main->windowTitle(), QStringLiteral("Lumaru演示版"));
    ASSERT_EQ(desktop_->messages.size(), 1u);
    EXPECT_EQ(desktop_->messages[0].text, QStringLiteral("已经是最新版本"));

    const QString routePrefix = QString::fromStdString(base_ + "/route/0?url=");
    Control<QComboBox>(main, "组合框1")->setCurrentIndex(0);
    Control<QLineEdit>(main, "编辑框1")
        ->setText(QString::fromStdString(base_ + "/v_19rrm66em8.html"));
    QTest::mouseClick(Control<QPushButton>(main, "按钮2"), Qt::LeftButton);

    // The route page opens its pop-up after a moment; the main browser plays it through route 0.
    Browser* browser = main->MainBrowser();
    const auto playsPopup = [&] { return browser->url().toString().contains(kPopupMarker); };
    ASSERT_TRUE(test::WaitUntil(playsPopup, 20s)) << browser->url().toString().toStdString();
    const QString replay = browser->url().toString();
    EXPECT_TRUE(replay.startsWith(routePrefix)) << replay.toStdString();
    // The replayed route page opens no other pop-up: the browser stays where it is.
    QTest::qWait(3000);
    EXPECT_EQ(browser->url().toString(), replay);
}

}  // namespace
}  // namespace lumaru::demo
