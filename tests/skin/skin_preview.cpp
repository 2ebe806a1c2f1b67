// Renders the main window, and a window with one of each kind of control, in one skin, for
// looking at the skins: skin_preview <skin 1-4> <output directory>. Everything it shows is
// served from loopback; it writes skin-<k>.png and skin-<k>-controls.png.

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <cstdio>
#include <memory>

#include "app/endpoints.h"
#include "app/main_window.h"
#include "app/shared_state.h"
#include "app/toolkit/desktop.h"
#include "app/toolkit/layout.h"
#include "app/toolkit/window_registry.h"
#include "gui_test_support.h"
#include "loopback_http_server.h"
#include "skin/memory_module.h"
#include "skin/skin_engine.h"
#include "skin/skin_table.h"

namespace lumaru {
namespace {

// Answers every question with OK and opens nothing.
class QuietDesktop final : public Desktop {
public:
    int MessageBox(const QString&, int, const QString&) override { return kAnswerOk; }
    void OpenAddress(const QString&) override {}
    bool InternetConnected() override { return true; }
};

// One of each kind of control the windows are made of, with Chinese text.
constexpr ControlSpec kSpecimenLayout[] = {
    {"外形框1", ControlKind::Container, nullptr, 0, 0, 520, 40},
    {"标签1", ControlKind::TransparentLabel, "外形框1", 12, 8, 64, 24, "影片分类："},
    {"组合框1", ControlKind::ComboList, "外形框1", 80, 10, 96, 20},
    {"编辑框1", ControlKind::EditBox, "外形框1", 188, 8, 140, 24, "绝地逃亡"},
    {"按钮1", ControlKind::Button, "外形框1", 340, 8, 56, 24, "搜索"},
    {"按钮2", ControlKind::Button, "外形框1", 404, 8, 56, 24, "说明"},
    {"超级列表框1", ControlKind::ReportList, nullptr, 8, 48, 504, 184},
    {"标签2", ControlKind::Label, nullptr, 8, 240, 72, 24, "播放线路："},
    {"组合框2", ControlKind::ComboEdit, nullptr, 80, 242, 96, 20},
    {"选择框1", ControlKind::CheckBox, nullptr, 188, 240, 64, 24, "置顶"},
    {"选择框2", ControlKind::CheckBox, nullptr, 252, 240, 72, 24, "自动播放"},
    {"超级链接框1", ControlKind::Link, nullptr, 332, 240, 72, 24, "问题反馈"},
    {"按钮3", ControlKind::Button, nullptr, 416, 240, 96, 24, "已停用按钮"},
    {"编辑框2", ControlKind::MultiLineEdit, nullptr, 8, 272, 504, 56,
     "公告：本软件仅供学习交流使用。\n如遇线路无法播放，请切换其他线路再试。"},
};

QWidget* MakeSpecimen() {
    auto* window = new QWidget;
    window->setWindowTitle(QStringLiteral("控件样张"));
    BuildLayout(window, kSpecimenLayout);
    window->resize(520, 336);
    Control<QComboBox>(window, "组合框1")
        ->addItems({QStringLiteral("电影"), QStringLiteral("电视剧"), QStringLiteral("综艺")});
    Control<QComboBox>(window, "组合框2")
        ->addItems({QStringLiteral("爱奇艺线路"), QStringLiteral("腾讯线路")});
    Control<QCheckBox>(window, "选择框1")->setChecked(true);
    Control<QPushButton>(window, "按钮3")->setEnabled(false);
    auto* list = Control<QTreeWidget>(window, "超级列表框1");
    list->setHeaderLabels({QStringLiteral("片名"), QStringLiteral("更新"), QStringLiteral("地址")});
    list->setColumnWidth(0, 180);
    list->setColumnWidth(1, 90);
    list->setColumnWidth(2, 220);
    const char* titles[] = {"流浪地球",   "让子弹飞",   "霸王别姬", "大话西游", "无间道",
                            "唐人街探案", "我不是药神", "功夫",     "英雄",     "卧虎藏龙"};
    for (const char* title : titles) {
        new QTreeWidgetItem(list, {QString::fromUtf8(title), QStringLiteral("高清"),
                                   QStringLiteral("http://example.invalid/play")});
    }
    list->setCurrentItem(list->topLevelItem(2));
    return window;
}

bool Save(QWidget* window, const QString& path) {
    if (!window->grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

}  // namespace
}  // namespace lumaru

int main(int argc, char* argv[]) {
    using namespace lumaru;
    QApplication application(argc, argv);
    const int skin = argc == 3 ? QString::fromLocal8Bit(argv[1]).toInt() : 0;
    if (skin < 1 || skin > 4) {
        std::fprintf(stderr, "usage: skin_preview <skin 1-4> <output directory>\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[2]));

    test::LoopbackHttpServer server([](const test::Request& request) {
        if (request.target == "/config.html") {
            return test::Reply::Ok(
                "<html><body><!-- 正文开始 -->[edition12]=LumaruVIP影视[/edition12]"
                "[edition3]=3.00[/edition3][editionn3]=3.00[/editionn3]<!-- 正文结束 -->"
                "</body></html>");
        }
        return test::Reply::Ok("<html><body></body></html>");
    });
    SetEndpoints(test::LoopbackEndpoints(server));
    SetDesktop(std::make_unique<QuietDesktop>());

    State().skinEngineLoader = std::make_shared<MemoryModule>();
    LoadSkinEngine();
    auto* main = LoadWindow<MainWindow>();
    main->ToggleLayout();  // show the top bar and the side panel

    // Choose the skin as a user would: pick the item and let the list close.
    auto* selector = Control<QComboBox>(main, "组合框2");
    selector->setCurrentIndex(skin - 1);
    selector->showPopup();
    QTest::qWait(200);
    selector->hidePopup();
    QTest::qWait(1500);
    if (State().currentSkin.bytes != SkinTable()[static_cast<std::size_t>(skin - 1)]) {
        std::fprintf(stderr, "closing the selector's list did not apply skin %d\n", skin);
        return 1;
    }

    const QString number = QString::number(skin);
    bool saved = Save(main, out.filePath(QStringLiteral("skin-%1.png").arg(number)));

    std::unique_ptr<QWidget> specimen(MakeSpecimen());
    specimen->show();
    if (!QTest::qWaitForWindowExposed(specimen.get())) {
        std::fprintf(stderr, "the controls window was never shown\n");
        return 1;
    }
    QTest::qWait(300);
    saved =
        Save(specimen.get(), out.filePath(QStringLiteral("skin-%1-controls.png").arg(number))) &&
        saved;
    specimen.reset();
    DestroyWindow(main);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return saved ? 0 : 1;
}
