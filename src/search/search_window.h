#pragma once

#include "app/toolkit/window.h"

namespace lumaru {

// Finds where a film or a series can be watched. It opens beside the main window and follows it
// when it moves.
class SearchWindow final : public ToolkitWindow {
    Q_OBJECT

public:
    SearchWindow();
    SearchWindow(const SearchWindow&) = delete;
    SearchWindow& operator=(const SearchWindow&) = delete;
};

}  // namespace lumaru
