#include <QLineEdit>
#include <QTimer>

#include "app/main_window.h"
#include "app/program.h"
#include "app/shared_state.h"
#include "app/toolkit/layout.h"
#include "app/toolkit/window_registry.h"
#include "catalogue/catalogue_window.h"
#include "config/notice_window.h"
#include "gui_test_support.h"
#include "shell_fixture.h"

namespace lumaru::test {
namespace {

using ProgramTest = ShellTest;

TEST_F(ProgramTest, ClosingTheMainWindowKeepsTheProgramUntilTheLastWindowCloses) {
    bool catalogueClosed = false;
    bool stillRunningAfterMainClosed = false;
    QTimer::singleShot(0, [&] {
        auto* main = FindWindow<MainWindow>();
        ASSERT_TRUE(main);
        LoadWindow<CatalogueWindow>();
        main->close();
        QTimer::singleShot(200, [&] {
            stillRunningAfterMainClosed =
                Program::Instance().CurrentPhase() == Program::Phase::Running;
            catalogueClosed = true;
            FindWindow<CatalogueWindow>()->close();
        });
    });
    EXPECT_EQ(ProgramStart(), 0);
    EXPECT_TRUE(stillRunningAfterMainClosed);
    EXPECT_TRUE(catalogueClosed);
    EXPECT_EQ(Program::Instance().CurrentPhase(), Program::Phase::Ending);
    // The exit routine has released the remote values read at start.
    EXPECT_TRUE(State().routeTable[0].empty());
    EXPECT_TRUE(State().edition12.empty());
}

TEST_F(ProgramTest, AHiddenWindowStillCountsAsOpen) {
    bool ended = false;
    QTimer::singleShot(0, [&] {
        FindWindow<MainWindow>()->WritePositionState(kPositionMinimised);
        QTimer::singleShot(300, [&] {
            ended = Program::Instance().CurrentPhase() != Program::Phase::Running;
            FindWindow<MainWindow>()->close();
        });
    });
    EXPECT_EQ(ProgramStart(), 0);
    EXPECT_FALSE(ended);
}

TEST_F(ProgramTest, ANewVersionEndsTheProgramWithoutItsEventLoop) {
    configPage_ = ConfigPage("[edition3]=3.01[/edition3][editionn3]=3.00[/editionn3]");
    desktop_->answers = {kAnswerNo, kAnswerNo};
    bool loopRan = false;
    QTimer::singleShot(0, [&] { loopRan = true; });
    EXPECT_EQ(ProgramStart(), 0);
    EXPECT_FALSE(loopRan);
    EXPECT_EQ(Program::Instance().OpenWindowCount(), 0);
    EXPECT_TRUE(desktop_->opened.isEmpty());
}

}  // namespace
}  // namespace lumaru::test
