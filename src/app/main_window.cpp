#include "app/main_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>

#include "app/endpoints.h"
#include "app/main_window_layout.h"
#include "app/music_window.h"
#include "app/shared_state.h"
#include "app/toolkit/browser.h"
#include "app/toolkit/clickable_label.h"
#include "app/toolkit/desktop.h"
#include "app/toolkit/gbk_text.h"
#include "app/toolkit/window_registry.h"
#include "catalogue/catalogue_window.h"
#include "config/notice_window.h"
#include "live/live_window.h"
#include "playback/play_command.h"
#include "playback/route_selector.h"
#include "playback/route_test_window.h"
#include "search/search_window.h"
#include "skin/skin_selector.h"

namespace lumaru {
namespace {

constexpr int kPanelWidth = 110;
constexpr int kPanelShift = 111;  // the browser and the toggle move one pixel past the panel
constexpr int kTopBarHeight = 40;

const QIcon& ProgramIcon() {
    static const QIcon icon(QStringLiteral(":/assets/lumaru.ico"));
    return icon;
}

template <typename W>
void OpenDocked() {
    DockBesideMain(LoadWindow<W>());
}

}  // namespace

MainWindow::MainWindow() {
    setWindowTitle(QStringLiteral("LumaruVIP影视"));
    setWindowIcon(ProgramIcon());
    BuildLayout(this, kMainWindowLayout);
    SetOuterGeometry(50, 50, 965, 532);

    auto* routes = Control<QComboBox>(this, "组合框1");
    FillRouteSelector(routes);
    routes->setStyleSheet(QStringLiteral("QComboBox { color: #FFFFFF; background: #3A3A3A; }"));

    auto* skins = Control<QComboBox>(this, "组合框2");
    skins->addItems({QStringLiteral("皮肤1"), QStringLiteral("皮肤2"), QStringLiteral("皮肤3"),
                     QStringLiteral("皮肤4")});
    skins->setCurrentIndex(1);
    skins->setStyleSheet(QStringLiteral("QComboBox { color: #000000; background: #FFFFFF; }"));

    Control<QLineEdit>(this, "编辑框1")
        ->setText(QString::fromStdString(CurrentEndpoints().defaultVideo));
    Control<QLabel>(this, "图片框1")->setPixmap(QPixmap(QStringLiteral(":/assets/start.png")));
    // The version signal is an edit box nobody sees; only its text-changed event matters.
    Control<QLineEdit>(this, "版本控制")->hide();

    ConnectHandlers();
}

Browser* MainWindow::MainBrowser() const {
    return Control<Browser>(this, "超文本浏览框1");
}

void MainWindow::ConnectHandlers() {
    connect(Control<QPushButton>(this, "按钮1"), &QPushButton::clicked, this,
            &MainWindow::ToggleLayout);
    connect(Control<QPushButton>(this, "按钮2"), &QPushButton::clicked, this,
            [this] { PlayCommand(*this); });
    connect(Control<QPushButton>(this, "按钮3"), &QPushButton::clicked, this, [this] {
        Control<QLineEdit>(this, "编辑框1")->setText(QString());
        Control<QLineEdit>(this, "编辑框2")->setText(QString());
    });
    connect(Control<QPushButton>(this, "按钮4"), &QPushButton::clicked, this, [] {
        CurrentDesktop().OpenAddress(QString::fromStdString(CurrentEndpoints().feedback));
    });
    connect(Control<QPushButton>(this, "按钮5"), &QPushButton::clicked, this,
            [] { LoadWindow<RouteTestWindow>(); });
    connect(Control<QCheckBox>(this, "选择框1"), &QCheckBox::clicked, this,
            [this](bool ticked) { SetAlwaysOnTop(ticked); });
    connect(
        Control<ClickableLabel>(this, "透明标签3"), &ClickableLabel::LeftButtonPressed, this,
        [] { CurrentDesktop().OpenAddress(QString::fromStdString(CurrentEndpoints().contact)); });

    const auto onLink = [this](const char* name, auto handler) {
        connect(Control<ClickableLabel>(this, name), &ClickableLabel::LeftButtonPressed, this,
                handler);
    };
    onLink("超级链接框3", [this] { GoHome(); });
    onLink("超级链接框2", [] { OpenDocked<SearchWindow>(); });
    onLink("超级链接框1", [] { OpenDocked<LiveWindow>(); });
    onLink("超级链接框6", [] { OpenDocked<CatalogueWindow>(); });
    onLink("超级链接框5", [] { LoadWindow<MusicWindow>(); });
    onLink("超级链接框4", [this] { MainBrowser()->SetAddress(FromGbk(State().edition11)); });
    onLink("超级链接框7", [this] { MainBrowser()->SetAddress(FromGbk(State().edition10)); });

    connect(Control<QLineEdit>(this, "版本控制"), &QLineEdit::textChanged, this,
            [this] { DestroyWindow(this); });

    ConnectSkinSelector(Control<QComboBox>(this, "组合框2"));

    Browser* browser = MainBrowser();
    browser->OnBeforeNavigation([this](const QUrl& target) {
        if (!(goingHome_ && target == QUrl(QStringLiteral("about:blank")))) {
            UncoverBrowser();
        }
        return true;
    });
    browser->OnLoadingBegins([this] {
        if (!goingHome_) {
            UncoverBrowser();
        }
    });
    connect(browser, &QWebEngineView::loadFinished, this, [this] { goingHome_ = false; });
    browser->OnNewWindowRequested(
        [this](const QString& address) { return RedirectNewWindow(*this, address); });
}

void MainWindow::Created() {
    SetTrayIcon(ProgramIcon(), QStringLiteral("Lumaru影视"));
    Control<QFrame>(this, "外形框1")->move(-kPanelWidth, Control<QFrame>(this, "外形框1")->y());
    auto* topBar = Control<QFrame>(this, "外形框2");
    topBar->resize(topBar->width(), 0);
    auto* toggle = Control<QPushButton>(this, "按钮1");
    toggle->move(0, toggle->y());
    ApplyStartSkin();
    LoadWindow<NoticeWindow>();
    // The version check may have closed this window meanwhile.
    if (!IsDestroyed()) {
        Control<Browser>(this, "超文本浏览框2")->SetAddress(FromGbk(State().edition13));
        setWindowTitle(FromGbk(State().edition12));
    }
}

void MainWindow::SizeChanged(int outerWidth, int outerHeight) {
    auto* panel = Control<QFrame>(this, "外形框1");
    panel->setGeometry(panel->x(), kTopBarHeight, panel->width(), outerHeight - kTopBarHeight);
    auto* topBar = Control<QFrame>(this, "外形框2");
    topBar->resize(outerWidth, topBar->height());
    MainBrowser()->resize(outerWidth - 30, outerHeight - 50);
    Control<QLabel>(this, "标签1")->resize(outerWidth, outerHeight);
}

void MainWindow::PositionChanged() {
    if (ReadPositionState() == kPositionMinimised) {
        hide();
        SetTrayIcon(ProgramIcon(), QStringLiteral("LumaruVIP"));
    }
    for (ToolkitWindow* window : std::initializer_list<ToolkitWindow*>{
             FindWindow<CatalogueWindow>(), FindWindow<LiveWindow>(), FindWindow<SearchWindow>()}) {
        if (window && window->isVisible()) {
            DockBesideMain(window);
        }
    }
}

void MainWindow::TrayEvent(int code) {
    if (code != kTrayLeftRelease) {
        return;
    }
    show();
    WritePositionState(kPositionRestoreCentred);
    SetTrayIcon(ProgramIcon(), QStringLiteral("LumaruVIP"));
}

void MainWindow::ToggleLayout() {
    auto* panel = Control<QFrame>(this, "外形框1");
    auto* browser = MainBrowser();
    auto* toggle = Control<QPushButton>(this, "按钮1");
    if (panel->x() == -kPanelWidth) {
        panel->move(0, panel->y());
        browser->setGeometry(kPanelShift, browser->y(), browser->width() - kPanelShift,
                             browser->height());
        toggle->move(kPanelShift, toggle->y());
    } else {
        panel->move(-kPanelWidth, panel->y());
        browser->setGeometry(0, browser->y(), browser->width() + kPanelShift, browser->height());
        toggle->move(0, toggle->y());
    }
    auto* topBar = Control<QFrame>(this, "外形框2");
    topBar->resize(topBar->width(), topBar->height() == 0 ? kTopBarHeight : 0);
}

void MainWindow::UncoverBrowser() {
    Control<QLabel>(this, "图片框1")->hide();
    Control<QLabel>(this, "标签1")->hide();
}

void MainWindow::GoHome() {
    // The browser reports the blank page's navigation after this returns; it must not cover
    // the start picture shown here again.
    goingHome_ = true;
    MainBrowser()->SetAddress(QStringLiteral("about:blank"));
    Control<QLabel>(this, "图片框1")->show();
    SetAlwaysOnTop(false);
}

void SetMainWindowVisible(bool visible) {
    if (auto* main = FindWindow<MainWindow>()) {
        main->setVisible(visible);
    }
}

void DockBesideMain(ToolkitWindow* window) {
    const MainWindow* main = FindWindow<MainWindow>();
    if (!window || !main) {
        return;
    }
    window->MoveTo(main->Left() + main->OuterWidth(), main->Top());
}

}  // namespace lumaru
