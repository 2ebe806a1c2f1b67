#pragma once

#include "app/toolkit/window.h"

namespace lumaru {

// Opened while the main window starts: reads the remote configuration, shows the maker's notice
// and runs the version check with its update questions. The main window is hidden meanwhile.
class NoticeWindow final : public ToolkitWindow {
    Q_OBJECT

public:
    NoticeWindow();
    NoticeWindow(const NoticeWindow&) = delete;
    NoticeWindow& operator=(const NoticeWindow&) = delete;

    void Created() override;
    void AboutToBeDestroyed() override;

private:
    void OfferUpdate(const std::string& downloadUrl, const std::string& explain);
};

}  // namespace lumaru
