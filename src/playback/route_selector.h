#pragma once

class QComboBox;

namespace lumaru {

// Fills a route selector with the nine routes, in route order, the first one selected.
void FillRouteSelector(QComboBox* selector);

}  // namespace lumaru
