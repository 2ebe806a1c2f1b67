#include <QDesktopServices>
#include <QMessageBox>
#include <QNetworkInformation>
#include <QUrl>
#include <chrono>

#include "app/endpoints.h"
#include "app/toolkit/desktop.h"
#include "net/whole_page_fetch.h"

namespace lumaru {
namespace {

QMessageBox::StandardButtons ButtonsFor(int style) {
    switch (style & 0x0F) {
        case kButtonsOkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case kButtonsAbortRetryIgnore:
            return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
        case kButtonsYesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case kButtonsYesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case kButtonsRetryCancel:
            return QMessageBox::Retry | QMessageBox::Cancel;
        default:
            return QMessageBox::Ok;
    }
}

QMessageBox::Icon IconFor(int style) {
    switch (style & 0xF0) {
        case kIconError:
            return QMessageBox::Critical;
        case kIconQuestion:
            return QMessageBox::Question;
        case kIconWarning:
            return QMessageBox::Warning;
        case kIconInformation:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

int AnswerFor(int button) {
    switch (button) {
        case QMessageBox::Cancel:
            return kAnswerCancel;
        case QMessageBox::Abort:
            return kAnswerAbort;
        case QMessageBox::Retry:
            return kAnswerRetry;
        case QMessageBox::Ignore:
            return kAnswerIgnore;
        case QMessageBox::Yes:
            return kAnswerYes;
        case QMessageBox::No:
            return kAnswerNo;
        default:
            return kAnswerOk;
    }
}

class SystemDesktop final : public Desktop {
public:
    int MessageBox(const QString& text, int style, const QString& title) override {
        // No owner and application-modal: the nearest Qt has to a task-modal box.
        QMessageBox box(IconFor(style), title, text, ButtonsFor(style));
        box.setWindowModality(Qt::ApplicationModal);
        return AnswerFor(box.exec());
    }

    void OpenAddress(const QString& address) override { QDesktopServices::openUrl(QUrl(address)); }

    bool InternetConnected() override {
        // Where the system reports reachability, a disconnected machine needs no probe.
        if (QNetworkInformation::loadDefaultBackend() || QNetworkInformation::instance()) {
            const auto* info = QNetworkInformation::instance();
            if (info && info->reachability() == QNetworkInformation::Reachability::Disconnected) {
                return false;
            }
        }
        using namespace std::chrono_literals;
        return ProbeAddress(CurrentEndpoints().internetProbe, 5s);
    }
};

std::unique_ptr<Desktop>& Installed() {
    static std::unique_ptr<Desktop> desktop;
    return desktop;
}

}  // namespace

std::unique_ptr<Desktop> MakeSystemDesktop() {
    return std::make_unique<SystemDesktop>();
}

Desktop& CurrentDesktop() {
    if (!Installed()) {
        Installed() = MakeSystemDesktop();
    }
    return *Installed();
}

void SetDesktop(std::unique_ptr<Desktop> desktop) {
    Installed() = std::move(desktop);
}

}  // namespace lumaru
