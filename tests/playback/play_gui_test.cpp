#include <algorithm>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/endpoints.h"
#include "app/main_window.h"
#include "app/shared_state.h"
#include "app/toolkit/browser.h"
#include "app/toolkit/layout.h"
#include "app/toolkit/window_registry.h"
#include "gui_test_support.h"
#include "playback/route_table.h"
#include "playback/route_test_window.h"
#include "shell_fixture.h"

namespace lumaru::test {
namespace {

using namespace std::chrono_literals;

class PlayTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        LoadMain();
    }

    void Play(int route, const QString& text) {
        Control<QComboBox>(main_, "组合框1")->setCurrentIndex(route);
        Control<QLineEdit>(main_, "编辑框1")->setText(text);
        QTest::mouseClick(Control<QPushButton>(main_, "按钮2"), Qt::LeftButton);
    }

    bool BrowserReaches(Browser* browser, const QString& address) {
        return WaitUntil([&] { return browser->url() == QUrl(address); });
    }

    int ToolkitWindowCount() const {
        int count = 0;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            count += qobject_cast<ToolkitWindow*>(widget) && widget->isVisible() ? 1 : 0;
        }
        return count;
    }
};

TEST_F(PlayTest, PlaySendsTheBrowserToTheRoutePrefixFollowedByTheText) {
    main_->SetAlwaysOnTop(true);
    Control<QCheckBox>(main_, "选择框1")->setChecked(true);
    const std::string video = server_->Url("/v_19rrm66em8.html");
    Play(8, QString::fromStdString(video));

    EXPECT_TRUE(Control<QLabel>(main_, "图片框1")->isHidden());
    EXPECT_TRUE(Control<QLabel>(main_, "标签1")->isHidden());
    EXPECT_FALSE(main_->AlwaysOnTop());
    EXPECT_TRUE(Control<QCheckBox>(main_, "选择框1")->isChecked());
    ASSERT_TRUE(
        BrowserReaches(main_->MainBrowser(), QString::fromStdString(RoutePrefix(8) + video)));
    // A real navigation: the route page was asked for.
    EXPECT_TRUE(WaitUntil([&] {
        const auto requests = server_->Requests();
        return std::any_of(requests.begin(), requests.end(), [&](const Request& request) {
            return request.target == "/route/8?u=" + video;
        });
    }));
}

TEST_F(PlayTest, PlayComposesAnyTextUnchanged) {
    Play(0, QStringLiteral("  abc def "));
    EXPECT_TRUE(BrowserReaches(main_->MainBrowser(),
                               QString::fromStdString(RoutePrefix(0) + "  abc def ")));
    Play(2, QStringLiteral("not an address"));
    EXPECT_TRUE(BrowserReaches(main_->MainBrowser(),
                               QString::fromStdString(RoutePrefix(2) + "not an address")));
}

TEST_F(PlayTest, EmptyPrefixSendsTheBrowserToTheTypedAddress) {
    State().routeTable[3].clear();
    const QString video = Url("/bare.html");
    Play(3, video);
    EXPECT_TRUE(BrowserReaches(main_->MainBrowser(), video));
}

TEST_F(PlayTest, WithoutARouteThereIsNoNavigationButTheRestHappens) {
    main_->SetAlwaysOnTop(true);
    Play(-1, Url("/v.html"));
    EXPECT_TRUE(Control<QLabel>(main_, "图片框1")->isHidden());
    EXPECT_FALSE(main_->AlwaysOnTop());
    QTest::qWait(500);
    for (const Request& request : server_->Requests()) {
        EXPECT_NE(request.target, "/v.html");
        EXPECT_NE(request.target.rfind("/route/", 0), 0u) << request.target;
    }
    EXPECT_TRUE(main_->MainBrowser()->url().isEmpty());
}

TEST_F(PlayTest, APopUpPlaysThroughTheSelectedRouteInTheMainBrowser) {
    const int windowsBefore = ToolkitWindowCount();
    const std::string target = server_->Url("/x/cover/abc/video.html");
    Control<QComboBox>(main_, "组合框1")->setCurrentIndex(0);
    main_->MainBrowser()->SetAddress(Url("/popup.html?to=" + target));
    EXPECT_TRUE(
        BrowserReaches(main_->MainBrowser(), QString::fromStdString(RoutePrefix(0) + target)));
    EXPECT_EQ(ToolkitWindowCount(), windowsBefore);
}

TEST_F(PlayTest, TencentRouteReplacesTheFirst23CharactersOfThePopUp) {
    const std::string cover = "http://" + CurrentEndpoints().platformHosts[1] + "/x/cover";
    Control<QComboBox>(main_, "组合框1")->setCurrentIndex(1);
    const std::string target = server_->Url("/page/video.html");
    main_->MainBrowser()->SetAddress(Url("/popup.html?to=" + target));
    EXPECT_TRUE(BrowserReaches(main_->MainBrowser(),
                               QString::fromStdString(RoutePrefix(1) + cover + target.substr(23))));
    // A pop-up address shorter than 23 characters becomes the prefix alone.
    main_->MainBrowser()->SetAddress(Url("/popup.html?to=about:blank"));
    EXPECT_TRUE(
        BrowserReaches(main_->MainBrowser(), QString::fromStdString(RoutePrefix(1) + cover)));
}

TEST_F(PlayTest, RoutesFiveToEightIgnoreAPopUp) {
    for (int route : {5, 8}) {
        Control<QComboBox>(main_, "组合框1")->setCurrentIndex(route);
        const QString page =
            Url("/popup.html?to=" + server_->Url("/route-" + std::to_string(route)));
        main_->MainBrowser()->SetAddress(page);
        ASSERT_TRUE(BrowserReaches(main_->MainBrowser(), page));
        QTest::qWait(1000);
        EXPECT_EQ(main_->MainBrowser()->url(), QUrl(page)) << route;
        EXPECT_EQ(main_->MainBrowser()->StatusText(),
                  QString::fromStdString(server_->Url("/route-" + std::to_string(route))));
    }
}

TEST_F(PlayTest, RouteTestPlaysEachSampleAndKeepsPopUpsInItsOwnBrowser) {
    QTest::mouseClick(Control<QPushButton>(main_, "按钮5"), Qt::LeftButton);
    auto* test = FindWindow<RouteTestWindow>();
    ASSERT_TRUE(test);
    EXPECT_TRUE(test->isVisible());
    EXPECT_FALSE(main_->isVisible());

    auto* browser = Control<Browser>(test, "超文本浏览框1");
    const auto samples = RouteSampleTable(CurrentEndpoints());
    for (int route = 0; route < 9; ++route) {
        Control<QComboBox>(test, "组合框1")->setCurrentIndex(route);
        QTest::mouseClick(Control<QPushButton>(test, "按钮1"), Qt::LeftButton);
        EXPECT_TRUE(BrowserReaches(
            browser,
            QString::fromStdString(RoutePrefix(route) + samples[static_cast<std::size_t>(route)])))
            << route;
    }
    const QString target = Url("/popped.html");
    browser->SetAddress(Url("/popup.html?to=" + target.toStdString()));
    EXPECT_TRUE(BrowserReaches(browser, target));
    EXPECT_TRUE(main_->MainBrowser()->url().isEmpty());

    test->close();
    EXPECT_TRUE(main_->isVisible());
}

}  // namespace
}  // namespace lumaru::test
