#include "config/notice_window.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "app/endpoints.h"
#include "app/main_window.h"
#include "app/toolkit/desktop.h"
#include "app/toolkit/gbk_text.h"
#include "app/toolkit/layout.h"
#include "app/toolkit/window_registry.h"
#include "config/remote_config.h"

namespace lumaru {
namespace {

constexpr ControlSpec kNoticeLayout[] = {
    {"标签1", ControlKind::Label, nullptr, 8, 8, 72, 24},
    {"标签2", ControlKind::Label, nullptr, 112, 8, 72, 24, "3.00"},
    {"编辑框1", ControlKind::MultiLineEdit, nullptr, 16, 72, 240, 40},
};

// Hands an address from outside to the system's handler, but only a web address: the download
// address comes from a page on the network and must not open a local file or another program.
void OpenWebAddress(const std::string& gbkAddress) {
    if (IsWebAddress(gbkAddress)) {
        CurrentDesktop().OpenAddress(FromGbk(gbkAddress));
    }
}

}  // namespace

NoticeWindow::NoticeWindow() {
    setWindowTitle(QString());
    BuildLayout(this, kNoticeLayout);
    SetOuterGeometry(50, 50, 267, 144);
}

void NoticeWindow::Created() {
    SetMainWindowVisible(false);
    const RemoteConfig config = ReadRemoteConfig();
    Control<QPlainTextEdit>(this, "编辑框1")->setPlainText(FromGbk(config.explain));
    if (!CurrentDesktop().InternetConnected()) {
        return;  // stays open with the notice until the user closes it
    }
    if (State().editionn3 == State().edition3) {
        ShowMessage(QStringLiteral("已经是最新版本"));
        DestroyWindow(this);
        return;
    }
    OfferUpdate(config.downloadUrl, config.explain);
}

void NoticeWindow::OfferUpdate(const std::string& downloadUrl, const std::string& explain) {
    if (auto* main = FindWindow<MainWindow>()) {
        Control<QLineEdit>(main, "版本控制")->setText(QStringLiteral("1"));
    }
    const QString question = QStringLiteral("发现新版本：\r\n") + FromGbk(explain) +
                             QStringLiteral("\r\n是否下载更新？");
    const QString title = QStringLiteral("当前版本：") + Control<QLabel>(this, "标签2")->text();
    if (ShowMessage(question, kButtonsYesNo | kIconQuestion, title) == kAnswerYes) {
        DestroyWindow(this);
        OpenWebAddress(downloadUrl);
        return;
    }
    const QString groupQuestion =
        QStringLiteral("最新版本QQ群") +
        QString::fromStdString(CurrentEndpoints().chatGroupNumber) +
        QStringLiteral("中也有\r\n你可以快速加群，和手动加群\r\n是否快速加群？");
    if (ShowMessage(groupQuestion, kButtonsYesNo | kIconQuestion, QStringLiteral("温馨提示")) ==
        kAnswerYes) {
        OpenWebAddress(CurrentEndpoints().chatGroup);
    }
    DestroyWindow(this);
}

void NoticeWindow::AboutToBeDestroyed() {
    SetMainWindowVisible(true);
}

}  // namespace lumaru
