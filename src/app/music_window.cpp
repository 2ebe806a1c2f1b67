#include "app/music_window.h"

#include "app/endpoints.h"
#include "app/main_window.h"
#include "app/toolkit/browser.h"
#include "app/toolkit/layout.h"

namespace lumaru {
namespace {

constexpr ControlSpec kMusicLayout[] = {
    {"超文本浏览框1", ControlKind::Browser, nullptr, 0, 0, 1200, 610},
};

}  // namespace

MusicWindow::MusicWindow() {
    setWindowTitle(QString(68, QLatin1Char(' ')) + QStringLiteral("Lumaru随心听"));
    BuildLayout(this, kMusicLayout);
    SetOuterGeometry(50, 50, 1200, 610);
}

void MusicWindow::Created() {
    Control<Browser>(this, "超文本浏览框1")
        ->SetAddress(QString::fromStdString(CurrentEndpoints().radio));
    SetMainWindowVisible(false);
}

void MusicWindow::SizeChanged(int outerWidth, int outerHeight) {
    Control<Browser>(this, "超文本浏览框1")->resize(outerWidth - 20, outerHeight);
}

void MusicWindow::AboutToBeDestroyed() {
    SetMainWindowVisible(true);
}

}  // namespace lumaru
