#include "live/live_window.h"

namespace lumaru {

LiveWindow::LiveWindow() {
    setWindowTitle(QStringLiteral("LumaruVIP歪歪直播"));
    SetOuterGeometry(50, 50, 424, 447);
}

}  // namespace lumaru
