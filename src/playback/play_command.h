#pragma once

#include <QString>

namespace lumaru {

class MainWindow;

// "播放": uncovers the main browser, sends it to the selected route's prefix followed by the
// typed address, and switches always-on-top off.
void PlayCommand(MainWindow& main);

// A page in the main browser asked for a new window: play that page's address through the
// selected route instead, in the main browser. Always answers false: no window opens.
bool RedirectNewWindow(MainWindow& main, const QString& address);

}  // namespace lumaru
