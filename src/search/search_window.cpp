#include "search/search_window.h"

namespace lumaru {

SearchWindow::SearchWindow() {
    setWindowTitle(QStringLiteral(""));
    SetOuterGeometry(50, 50, 518, 490);
}

}  // namespace lumaru
