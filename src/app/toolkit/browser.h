#pragma once

#include <QString>
#include <QUrl>
#include <QWebEngineView>
#include <functional>

namespace lumaru {

// The embedded browser. Writing the address navigates; three events reach the window that owns
// it: before navigation (answer false to refuse), loading begins, and new window requested
// (answer false to refuse; the requested address is the status text meanwhile). A new window is
// never opened by the browser itself.
class Browser final : public QWebEngineView {
    Q_OBJECT

public:
    using NavigationHandler = std::function<bool(const QUrl& target)>;
    using LoadingHandler = std::function<void()>;
    using NewWindowHandler = std::function<bool(const QString& address)>;

    explicit Browser(QWidget* parent = nullptr);

    // Sends the browser to the text as it stands; an empty text goes nowhere.
    void SetAddress(const QString& address);
    QString Address() const;
    QString StatusText() const { return statusText_; }

    void OnBeforeNavigation(NavigationHandler handler) { beforeNavigation_ = std::move(handler); }
    void OnLoadingBegins(LoadingHandler handler) { loadingBegins_ = std::move(handler); }
    void OnNewWindowRequested(NewWindowHandler handler) { newWindow_ = std::move(handler); }

private:
    friend class BrowserPage;
    bool BeforeNavigation(const QUrl& target);

    NavigationHandler beforeNavigation_;
    LoadingHandler loadingBegins_;
    NewWindowHandler newWindow_;
    QString statusText_;
};

}  // namespace lumaru
