#pragma once

#include "app/toolkit/window.h"

namespace lumaru {

// The online radio in a browser of its own; the main window is hidden while it is open.
class MusicWindow final : public ToolkitWindow {
    Q_OBJECT

public:
    MusicWindow();
    MusicWindow(const MusicWindow&) = delete;
    MusicWindow& operator=(const MusicWindow&) = delete;

    void Created() override;
    void SizeChanged(int outerWidth, int outerHeight) override;
    void AboutToBeDestroyed() override;
};

}  // namespace lumaru
