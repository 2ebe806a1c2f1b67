#include "catalogue/catalogue_window.h"

namespace lumaru {

CatalogueWindow::CatalogueWindow() {
    setWindowTitle(QStringLiteral("Lumaru爱奇艺解析"));
    SetOuterGeometry(50, 50, 502, 485);
}

}  // namespace lumaru
