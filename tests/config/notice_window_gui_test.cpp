#include <QLabel>
#include <QPlainTextEdit>
#include <QTimer>

#include "app/main_window.h"
#include "app/program.h"
#include "app/shared_state.h"
#include "app/toolkit/layout.h"
#include "app/toolkit/window_registry.h"
#include "config/notice_window.h"
#include "gui_test_support.h"
#include "shell_fixture.h"

namespace lumaru::test {
namespace {

using NoticeTest = ShellTest;

TEST_F(NoticeTest, EqualVersionsSayUpToDateThenShowTheMainWindow) {
    LoadMain();
    ASSERT_EQ(desktop_->messages.size(), 1u);
    EXPECT_EQ(desktop_->messages[0].text, QStringLiteral("已经是最新版本"));
    EXPECT_EQ(desktop_->messages[0].title, QStringLiteral("信息："));
    EXPECT_EQ(desktop_->messages[0].style, kButtonsOk);
    EXPECT_EQ(FindWindow<NoticeWindow>(), nullptr);
    EXPECT_EQ(main_->windowTitle(), QStringLiteral("Lumaru远程标题"));
    EXPECT_EQ(State().routeTable[4], RoutePrefix(4));
}

// Answers to the update questions and what they open; "GROUP" stands for the chat group's page.
struct UpdateCase {
    const char* what;
    std::vector<int> answers;
    std::string download;
    QStringList opened;
};

class UpdateFlowTest : public ShellTest, public testing::WithParamInterface<UpdateCase> {};

TEST_P(UpdateFlowTest, DifferentVersionsOfferTheUpdateAndEndTheProgram) {
    const UpdateCase& c = GetParam();
    configPage_ = ConfigPage(
        "[edition3]=v3.1[/edition3][editionn3]=V3.1[/editionn3]"
        "[explain]=修复若干问题[/explain][downloadURL]=" +
        c.download + "[/downloadURL]");
    desktop_->answers.assign(c.answers.begin(), c.answers.end());
    bool loopRan = false;
    QTimer::singleShot(0, [&] { loopRan = true; });
    EXPECT_EQ(ProgramStart(), 0);
    EXPECT_FALSE(loopRan);
    ASSERT_GE(desktop_->messages.size(), 1u);
    EXPECT_EQ(desktop_->messages[0].text,
              QStringLiteral("发现新版本：\r\n修复若干问题\r\n是否下载更新？"));
    EXPECT_EQ(desktop_->messages[0].title, QStringLiteral("当前版本：3.00"));
    EXPECT_EQ(desktop_->messages[0].style, kButtonsYesNo | kIconQuestion);
    if (desktop_->messages.size() > 1) {
        EXPECT_EQ(desktop_->messages[1].title, QStringLiteral("温馨提示"));
        EXPECT_EQ(desktop_->messages[1].text,
                  QStringLiteral(
                      "最新版本QQ群123456中也有\r\n你可以快速加群，和手动加群\r\n是否快速加群？"));
    }
    EXPECT_EQ(desktop_->messages.size(), c.answers.size());
    QStringList expected = c.opened;
    expected.replaceInStrings(QStringLiteral("GROUP"), Url("/group.html"));
    EXPECT_EQ(desktop_->opened, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, UpdateFlowTest,
    testing::Values(
        UpdateCase{"yes opens the download",
                   {kAnswerYes},
                   "https://example.com/lumaru.exe",
                   {"https://example.com/lumaru.exe"}},
        UpdateCase{"no, no opens nothing", {kAnswerNo, kAnswerNo}, "https://example.com/a.exe", {}},
        UpdateCase{"no, yes opens the group",
                   {kAnswerNo, kAnswerYes},
                   "https://example.com/a.exe",
                   {"GROUP"}},
        UpdateCase{"a local file is never opened", {kAnswerYes}, "file:///etc/passwd", {}},
        UpdateCase{"an empty address is never opened", {kAnswerYes}, "", {}}),
    [](const testing::TestParamInfo<UpdateCase>& info) { return std::to_string(info.index); });

TEST_F(NoticeTest, OfflineKeepsTheNoticeOpenWithTheMainWindowHidden) {
    configPage_ = ConfigPage("[explain]=公告[/explain][edition111]=http://r/[/edition111]");
    desktop_->connected = false;
    // The page is unreachable too: every prefix must come out empty.
    server_->SetHandler([](const Request&) { return Reply::Raw(""); });
    main_ = LoadWindow<MainWindow>();
    auto* notice = FindWindow<NoticeWindow>();
    ASSERT_TRUE(notice);
    EXPECT_TRUE(notice->isVisible());
    EXPECT_FALSE(main_->isVisible());
    EXPECT_TRUE(desktop_->messages.empty());
    notice->close();
    EXPECT_TRUE(main_->isVisible());
    for (const std::string& prefix : State().routeTable) {
        EXPECT_TRUE(prefix.empty());
    }
}

TEST_F(NoticeTest, OfflineShowsTheNoticeTextReadFromThePage) {
    configPage_ = ConfigPage("[explain]=公告[/explain]");
    desktop_->connected = false;
    main_ = LoadWindow<MainWindow>();
    auto* notice = FindWindow<NoticeWindow>();
    ASSERT_TRUE(notice);
    EXPECT_EQ(Control<QPlainTextEdit>(notice, "编辑框1")->toPlainText(), QStringLiteral("公告"));
}

TEST_F(NoticeTest, AnUnreachablePageWithAWorkingConnectionIsUpToDate) {
    SetEndpoints([&] {
        Endpoints endpoints = CurrentEndpoints();
        endpoints.remoteConfig = "http://127.0.0.1:1/config.html";
        return endpoints;
    }());
    LoadMain();
    ASSERT_EQ(desktop_->messages.size(), 1u);
    EXPECT_EQ(desktop_->messages[0].text, QStringLiteral("已经是最新版本"));
}

}  // namespace
}  // namespace lumaru::test
