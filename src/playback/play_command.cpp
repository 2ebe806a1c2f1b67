#include "playback/play_command.h"

#include <QComboBox>
#include <QLineEdit>

#include "app/endpoints.h"
#include "app/main_window.h"
#include "app/shared_state.h"
#include "app/toolkit/browser.h"
#include "app/toolkit/gbk_text.h"
#include "app/toolkit/layout.h"
#include "playback/route_table.h"

namespace lumaru {

void PlayCommand(MainWindow& main) {
    main.UncoverBrowser();
    const int route = Control<QComboBox>(&main, "组合框1")->currentIndex();
    if (route >= 0 && route < kRouteCount) {
        const std::string video = ToGbk(Control<QLineEdit>(&main, "编辑框1")->text());
        main.MainBrowser()->SetAddress(
            FromGbk(ComposeRouteAddress(State().routeTable, route, video)));
    }
    main.SetAlwaysOnTop(false);
}

bool RedirectNewWindow(MainWindow& main, const QString& address) {
    main.UncoverBrowser();
    const int route = Control<QComboBox>(&main, "组合框1")->currentIndex();
    const auto target = RedirectNewWindowTarget(State().routeTable, route, ToGbk(address),
                                                TencentCoverPrefix(CurrentEndpoints()));
    if (target) {
        main.MainBrowser()->SetAddress(FromGbk(*target));
    }
    return false;
}

}  // namespace lumaru
