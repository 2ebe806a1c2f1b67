#include "app/toolkit/browser.h"

#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>

namespace lumaru {

class BrowserPage final : public QWebEnginePage {
public:
    explicit BrowserPage(Browser* browser) : QWebEnginePage(browser), browser_(browser) {}

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame) override {
        return !isMainFrame || browser_->BeforeNavigation(url);
    }

private:
    Browser* browser_;
};

Browser::Browser(QWidget* parent) : QWebEngineView(parent) {
    auto* page = new BrowserPage(this);
    setPage(page);
    connect(page, &QWebEnginePage::loadStarted, this, [this] {
        if (loadingBegins_) {
            loadingBegins_();
        }
    });
    connect(page, &QWebEnginePage::newWindowRequested, this,
            [this](QWebEngineNewWindowRequest& request) {
                statusText_ = request.requestedUrl().toString();
                // The request is never opened: a handler's answer can only refuse it.
                if (newWindow_) {
                    newWindow_(statusText_);
                }
            });
}

void Browser::SetAddress(const QString& address) {
    if (address.isEmpty()) {
        return;
    }
    setUrl(QUrl(address));
}

QString Browser::Address() const {
    return url().toString();
}

bool Browser::BeforeNavigation(const QUrl& target) {
    return beforeNavigation_ ? beforeNavigation_(target) : true;
}

}  // namespace lumaru
