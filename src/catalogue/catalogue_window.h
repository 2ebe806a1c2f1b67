#pragma once

#include "app/toolkit/window.h"

namespace lumaru {

// The film catalogue, filled category by category from the resource-listing site. It opens beside
// the main window and follows it when it moves.
class CatalogueWindow final : public ToolkitWindow {
    Q_OBJECT

public:
    CatalogueWindow();
    CatalogueWindow(const CatalogueWindow&) = delete;
    CatalogueWindow& operator=(const CatalogueWindow&) = delete;
};

}  // namespace lumaru
