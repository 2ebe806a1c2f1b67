#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <set>

#include "app/main_window.h"
#include "app/program.h"
#include "app/shared_state.h"
#include "app/toolkit/layout.h"
#include "app/toolkit/window_registry.h"
#include "gui_test_support.h"
#include "shell_fixture.h"
#include "skin/memory_module.h"
#include "skin/native_skin_engine.h"
#include "skin/skin_file.h"
#include "skin/skin_selector.h"
#include "skin/skin_table.h"

namespace lumaru::test {
namespace {

SkinFile Skin(int index) {
    return *ParseSkinFile(SkinTable()[static_cast<std::size_t>(index)]);
}

QColor Colour(int index, SkinRole role) {
    const SkinColour colour = *Skin(index).Colour(role);
    return QColor(colour.red, colour.green, colour.blue);
}

// Which skin of the table is the current one; -1 for none of them.
int CurrentSkinIndex() {
    for (std::size_t i = 0; i < SkinTable().size(); ++i) {
        if (State().currentSkin.bytes == SkinTable()[i]) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// Whether the application looks like skin `index`.
bool LooksLike(int index) {
    return qApp->styleSheet() == QString::fromStdString(Skin(index).styleSheet) &&
           QApplication::palette().color(QPalette::Window) == Colour(index, SkinRole::Window);
}

class SkinSelectorTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        LoadMain();
        selector_ = Control<QComboBox>(main_, "组合框2");
        ASSERT_TRUE(selector_);
    }

    // Opens the selector's list and closes it again without choosing anything.
    void OpenAndCloseList() {
        selector_->showPopup();
        ASSERT_TRUE(WaitUntil([&] { return selector_->view()->isVisible(); }));
        selector_->hidePopup();
        QCoreApplication::processEvents();
    }

    QComboBox* selector_ = nullptr;
};

TEST_F(SkinSelectorTest, TheMainWindowStartsInSkin3WhileTheSelectorShowsSkin2) {
    EXPECT_EQ(CurrentSkinIndex(), 2);
    EXPECT_TRUE(LooksLike(2));
    EXPECT_EQ(selector_->currentIndex(), 1);
    EXPECT_EQ(selector_->currentText(), QStringLiteral("皮肤2"));
    EXPECT_EQ(State().currentSkin.a, 0);
    EXPECT_EQ(State().currentSkin.b, 0);
    EXPECT_EQ(State().currentSkin.c, 0);
}

TEST_F(SkinSelectorTest, ClosingTheListOnTheShownItemAppliesItEveryTime) {
    OpenAndCloseList();
    EXPECT_EQ(CurrentSkinIndex(), 1);
    EXPECT_TRUE(LooksLike(1));

    State().currentSkin = CurrentSkin{};
    OpenAndCloseList();
    EXPECT_EQ(CurrentSkinIndex(), 1);
}

TEST_F(SkinSelectorTest, ChoosingAnItemInTheListAppliesIt) {
    selector_->showPopup();
    QAbstractItemView* list = selector_->view();
    ASSERT_TRUE(WaitUntil([&] { return list->isVisible(); }));
    list->setCurrentIndex(list->model()->index(3, 0));  // the pointer rests on "皮肤4"
    QTest::keyClick(list, Qt::Key_Return);
    ASSERT_TRUE(WaitUntil([&] { return !list->isVisible(); }));
    QCoreApplication::processEvents();
    EXPECT_EQ(selector_->currentIndex(), 3);
    EXPECT_EQ(CurrentSkinIndex(), 3);
    EXPECT_TRUE(LooksLike(3));
}

TEST_F(SkinSelectorTest, ClosingTheListWithoutAnItemOfTheTableAppliesNothing) {
    // No selection at all, and a fifth item typed into the selector's edit field.
    selector_->addItem(QStringLiteral("皮肤5"));
    for (const int index : {-1, 4}) {
        SCOPED_TRACE(index);
        selector_->setCurrentIndex(index);
        OpenAndCloseList();
        EXPECT_EQ(CurrentSkinIndex(), 2);
        EXPECT_TRUE(LooksLike(2));
    }
}

TEST_F(SkinSelectorTest, EachSkinGivesWindowsOpenedLaterADifferentLook) {
    std::set<QRgb> backgrounds;
    for (int index = 0; index < 4; ++index) {
        SCOPED_TRACE(index);
        ApplySkinOfItem(index);
        QWidget later;
        auto* layout = new QVBoxLayout(&later);
        layout->setContentsMargins(20, 20, 20, 20);
        auto* edit = new QLineEdit(&later);
        layout->addWidget(edit);
        later.resize(200, 80);
        later.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&later));
        const QImage shot = later.grab().toImage();
        EXPECT_EQ(shot.pixelColor(3, 3), Colour(index, SkinRole::Window));
        const QPoint insideEdit = edit->geometry().topRight() + QPoint(-4, edit->height() / 2);
        EXPECT_EQ(shot.pixelColor(insideEdit), Colour(index, SkinRole::Base));
        backgrounds.insert(shot.pixel(3, 3));
    }
    EXPECT_EQ(backgrounds.size(), 4u);
}

TEST_F(SkinSelectorTest, AMalformedSkinChangesNothing) {
    const std::string_view whole = SkinTable()[1];
    ProgramSkinEngine().AttachRes(whole.data(), static_cast<std::uint32_t>(whole.size() / 2),
                                  nullptr, 0, 0, 0);
    ProgramSkinEngine().AttachRes(nullptr, 100, nullptr, 0, 0, 0);
    EXPECT_TRUE(LooksLike(2));
}

using SkinStartTest = ShellTest;

TEST_F(SkinStartTest, StartUpMapsNoEngineAndOurEngineAppliesSkin3) {
    bool checked = false;
    QTimer::singleShot(0, [&] {
        const auto& loader = State().skinEngineLoader;
        ASSERT_TRUE(loader);
        EXPECT_EQ(loader->Handle(), 0u);
        EXPECT_EQ(CurrentSkinIndex(), 2);
        EXPECT_TRUE(LooksLike(2));
        checked = true;
        FindWindow<MainWindow>()->close();
    });
    EXPECT_EQ(ProgramStart(), 0);
    EXPECT_TRUE(checked);
    // The exit routine released the skin's copy and the loader.
    EXPECT_TRUE(State().currentSkin.bytes.empty());
    EXPECT_FALSE(State().skinEngineLoader);
}

}  // namespace
}  // namespace lumaru::test
