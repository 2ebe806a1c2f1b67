#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTest>

#include "app/main_window.h"
#include "app/music_window.h"
#include "app/shared_state.h"
#include "app/toolkit/browser.h"
#include "app/toolkit/clickable_label.h"
#include "app/toolkit/layout.h"
#include "app/toolkit/window_registry.h"
#include "catalogue/catalogue_window.h"
#include "gui_test_support.h"
#include "live/live_window.h"
#include "search/search_window.h"
#include "shell_fixture.h"

namespace lumaru::test {
namespace {

class MainWindowTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        LoadMain();
    }

    QRect Geometry(const char* name) const { return Control<QWidget>(main_, name)->geometry(); }

    void Press(const char* link) {
        QTest::mouseClick(Control<ClickableLabel>(main_, link), Qt::LeftButton);
    }
};

TEST_F(MainWindowTest, StartsCollapsedWithTheRemoteCaptionAndSmallBrowser) {
    EXPECT_EQ(main_->windowTitle(), QStringLiteral("Lumaru远程标题"));
    EXPECT_EQ(Geometry("外形框1").left(), -110);
    EXPECT_EQ(Geometry("外形框2").height(), 0);
    EXPECT_EQ(Geometry("按钮1").left(), 0);
    EXPECT_EQ(Control<QPushButton>(main_, "按钮1")->text(),
              QStringLiteral("L\n\nu\n\nm\n\na\n\nr\n\nu"));
    EXPECT_EQ(main_->OuterWidth(), 965);
    EXPECT_EQ(main_->OuterHeight(), 532);
    EXPECT_EQ(main_->TrayIcon()->toolTip(), QStringLiteral("Lumaru影视"));
    auto* small = Control<Browser>(main_, "超文本浏览框2");
    EXPECT_TRUE(WaitUntil([&] { return small->url() == QUrl(Url("/small.html")); }));
    EXPECT_TRUE(Control<QLabel>(main_, "图片框1")->isVisible());
}

TEST_F(MainWindowTest, ToggleTwiceReturnsTheLayout) {
    const char* names[] = {"外形框1", "外形框2", "按钮1", "超文本浏览框1"};
    std::vector<QRect> before;
    for (const char* name : names) {
        before.push_back(Geometry(name));
    }
    auto* toggle = Control<QPushButton>(main_, "按钮1");
    QTest::mouseClick(toggle, Qt::LeftButton);
    EXPECT_EQ(Geometry("外形框1").left(), 0);
    EXPECT_EQ(Geometry("外形框2").height(), 40);
    EXPECT_EQ(Geometry("按钮1").left(), 111);
    EXPECT_EQ(Geometry("超文本浏览框1"), QRect(111, 0, 952 - 111, 480));
    QTest::mouseClick(toggle, Qt::LeftButton);
    for (std::size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(Geometry(names[i]), before[i]) << names[i];
    }
}

TEST_F(MainWindowTest, ResizeFollowsTheOuterSize) {
    QTest::mouseClick(Control<QPushButton>(main_, "按钮1"), Qt::LeftButton);  // expanded
    main_->SetOuterGeometry(main_->Left(), main_->Top(), 1000, 600);
    EXPECT_EQ(Geometry("外形框1"), QRect(0, 40, 110, 560));
    EXPECT_EQ(Geometry("外形框2").width(), 1000);
    EXPECT_EQ(Geometry("超文本浏览框1"), QRect(111, 0, 970, 550));
    EXPECT_EQ(Geometry("标签1").size(), QSize(1000, 600));
}

TEST_F(MainWindowTest, MinimisingGoesToTheTrayAndALeftClickRestoresCentred) {
    main_->WritePositionState(kPositionMinimised);
    EXPECT_FALSE(main_->isVisible());
    EXPECT_EQ(main_->TrayIcon()->toolTip(), QStringLiteral("LumaruVIP"));

    emit main_->TrayIcon()->activated(QSystemTrayIcon::DoubleClick);
    EXPECT_FALSE(main_->isVisible());
    emit main_->TrayIcon()->activated(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(main_->isVisible());
    EXPECT_EQ(main_->ReadPositionState(), kPositionNormal);
    const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
    EXPECT_LE((main_->frameGeometry().center() - centre).manhattanLength(), 2);
}

TEST_F(MainWindowTest, MovingDocksOnlyVisibleSideWindows) {
    Press("超级链接框6");
    Press("超级链接框2");
    auto* catalogue = FindWindow<CatalogueWindow>();
    auto* search = FindWindow<SearchWindow>();
    ASSERT_TRUE(catalogue && search);
    EXPECT_EQ(catalogue->Left(), main_->Left() + main_->OuterWidth());
    EXPECT_EQ(catalogue->Top(), main_->Top());
    search->hide();
    const QPoint searchBefore = search->frameGeometry().topLeft();

    main_->MoveTo(120, 90);
    EXPECT_EQ(catalogue->frameGeometry().topLeft(), QPoint(120 + main_->OuterWidth(), 90));
    EXPECT_EQ(search->frameGeometry().topLeft(), searchBefore);
    EXPECT_EQ(FindWindow<LiveWindow>(), nullptr);
}

TEST_F(MainWindowTest, HomeShowsTheStartPictureAgainButNotTheLabel) {
    main_->UncoverBrowser();
    main_->SetAlwaysOnTop(true);
    Press("超级链接框3");
    EXPECT_TRUE(WaitUntil([&] { return main_->MainBrowser()->url() == QUrl("about:blank"); }));
    QTest::qWait(300);
    EXPECT_TRUE(Control<QLabel>(main_, "图片框1")->isVisible());
    EXPECT_FALSE(Control<QLabel>(main_, "标签1")->isVisible());
    EXPECT_FALSE(main_->AlwaysOnTop());
}

TEST_F(MainWindowTest, ButtonsAndLinksDoWhatTheySay) {
    QTest::mouseClick(Control<QPushButton>(main_, "按钮3"), Qt::LeftButton);
    EXPECT_TRUE(Control<QLineEdit>(main_, "编辑框1")->text().isEmpty());
    EXPECT_TRUE(Control<QLineEdit>(main_, "编辑框2")->text().isEmpty());

    QTest::mouseClick(Control<QPushButton>(main_, "按钮4"), Qt::LeftButton);
    QTest::mouseClick(Control<ClickableLabel>(main_, "透明标签3"), Qt::LeftButton);
    EXPECT_EQ(desktop_->opened, QStringList({Url("/feedback.html"), Url("/contact.html")}));

    State().edition11 = server_->Url("/cinema.html");
    Press("超级链接框4");
    EXPECT_TRUE(
        WaitUntil([&] { return main_->MainBrowser()->url() == QUrl(Url("/cinema.html")); }));
    // The navigation itself uncovers the browser.
    EXPECT_TRUE(WaitUntil([&] { return Control<QLabel>(main_, "图片框1")->isHidden(); }));
}

TEST_F(MainWindowTest, AnyChangeOfTheVersionSignalClosesTheMainWindow) {
    Control<QLineEdit>(main_, "版本控制")->setText(QStringLiteral("x"));
    EXPECT_EQ(FindWindow<MainWindow>(), nullptr);
    EXPECT_FALSE(main_->isVisible());
}

TEST_F(MainWindowTest, MusicWindowHidesTheMainWindowWhileOpen) {
    main_->WritePositionState(kPositionMinimised);  // in the tray
    ASSERT_FALSE(main_->isVisible());
    Press("超级链接框5");
    auto* music = FindWindow<MusicWindow>();
    ASSERT_TRUE(music);
    EXPECT_TRUE(music->isVisible());
    EXPECT_TRUE(music->windowTitle().endsWith(QStringLiteral("Lumaru随心听")));
    auto* radio = Control<Browser>(music, "超文本浏览框1");
    EXPECT_TRUE(WaitUntil([&] { return radio->url() == QUrl(Url("/radio.html")); }));

    music->SetOuterGeometry(music->Left(), music->Top(), 800, 500);
    EXPECT_EQ(radio->geometry(), QRect(0, 0, 780, 500));

    music->close();
    EXPECT_TRUE(main_->isVisible());
}

}  // namespace
}  // namespace lumaru::test
