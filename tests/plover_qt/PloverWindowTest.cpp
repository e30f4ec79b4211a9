// plover's window driven through its real widgets on the offscreen platform:
// menus, tabs, selection, Up/Dn, Ctrl range selection, the search dialog.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <filesystem>

#include "../bufferwriter/PloverFixture.h"
#include "bufferwriter/qt/PloverWindow.h"
#include "bufferwriter/qt/SearchDialog.h"

namespace kestrel::test {
namespace {

class PloverWindowTest : public PloverFixture {
protected:
    void SetUp() override {
        window = std::make_unique<PloverWindow>(list());
        window->show();
        list().start(writeBuf(
            "abc.buf",
            {{0, "a", std::string(10, 'A')}, {0, "b", std::string(20, 'B')}, {0, "c", std::string(5, 'C'), "far,1,3"}},
            "made by a test"));
    }
    void TearDown() override { window.reset(); }

    template <typename T>
    T* child(const char* name) {
        T* found = window->findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QListWidget* offsetts() { return child<QListWidget>("LstOffsett"); }
    QStringList shown(QListWidget* widget) {
        QStringList out;
        for (int i = 0; i < widget->count(); ++i) out << widget->item(i)->text();
        return out;
    }
    void clickRow(QListWidget* widget, int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        const QRect where = widget->visualItemRect(widget->item(row));
        QTest::mouseClick(widget->viewport(), Qt::LeftButton, modifiers, where.center());
    }
    void clickTab(int index) {
        auto* tabs = child<QTabBar>("sTab");
        QTest::mouseClick(tabs, Qt::LeftButton, Qt::NoModifier, tabs->tabRect(index).center());
    }

    std::unique_ptr<PloverWindow> window;
};

TEST_F(PloverWindowTest, CaptionsMenusAndTabsAreThoseOfTheWindow) {
    EXPECT_EQ(window->windowTitle(), "Plover");
    QStringList menus;
    for (QAction* action : window->menuBar()->actions()) menus << action->text();
    EXPECT_EQ(menus, (QStringList{"&File", "&Options"}));
    EXPECT_EQ(child<QAction>("import")->text(), "&Import");
    EXPECT_EQ(child<QAction>("mnuDestination")->text(), "&Destination");
    EXPECT_EQ(child<QAction>("mnuBurn")->text(), "&Burn");
    EXPECT_EQ(child<QAction>("mnuExit")->text(), "E&xit");
    EXPECT_TRUE(child<QAction>("mnuBank")->isChecked());
    EXPECT_TRUE(child<QAction>("fillme0")->isChecked());
    EXPECT_EQ(child<QAction>("fillme2")->text(), "Fill FF");
    auto* tabs = child<QTabBar>("sTab");
    ASSERT_EQ(tabs->count(), 4);
    EXPECT_EQ(tabs->tabText(1), "Floating Pointers");
    EXPECT_EQ(child<QToolButton>("Insert")->toolTip(), "Assign");
    EXPECT_EQ(child<QPushButton>("cmdOffSort0")->text(), "Up");
    EXPECT_EQ(child<QPushButton>("cmdOffSort1")->text(), "Dn");
}

TEST_F(PloverWindowTest, ListsTabsAndOptionsFollowTheModel) {
    EXPECT_EQ(shown(offsetts()), (QStringList{"abc.a", "abc.b", "abc.c"}));
    EXPECT_EQ(offsetts()->item(2)->data(Qt::UserRole).toInt(), 3);
    clickTab(1);
    EXPECT_EQ(list().view(), BufList::View::FloatingPointers);
    EXPECT_EQ(window->findChild<QStackedWidget*>()->currentWidget(), child<QListWidget>("LstPoint"));
    EXPECT_EQ(shown(child<QListWidget>("LstPoint")), (QStringList{"abc.far"}));
    clickTab(2);
    EXPECT_EQ(child<QPlainTextEdit>("Buffer16")->toPlainText(), "made by a test");
    clickTab(3);
    EXPECT_TRUE(child<QPlainTextEdit>("Log")->toPlainText().contains("GRABBING 3 Offsetts"));

    child<QAction>("mnuBank")->trigger();
    EXPECT_FALSE(list().autobank());
    EXPECT_FALSE(child<QAction>("mnuBank")->isChecked());
    child<QAction>("fillme2")->trigger();
    EXPECT_EQ(list().fill(), 255);
    EXPECT_FALSE(child<QAction>("fillme0")->isChecked());
}

TEST_F(PloverWindowTest, ClicksSelectAndUpDnMoveTheEntry) {
    clickRow(offsetts(), 2);
    EXPECT_TRUE(list().offsetts()[2].selected);
    EXPECT_EQ(list().currentOffsett(), 2);
    QTest::mouseClick(child<QPushButton>("cmdOffSort0"), Qt::LeftButton);
    EXPECT_EQ(shown(offsetts()), (QStringList{"abc.a", "abc.c", "abc.b"}));
    EXPECT_TRUE(offsetts()->item(1)->isSelected());
    EXPECT_EQ(offsetts()->item(1)->data(Qt::UserRole).toInt(), 3);
    QTest::mouseClick(child<QPushButton>("cmdOffSort1"), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>("cmdOffSort1"), Qt::LeftButton);  // already last
    EXPECT_EQ(shown(offsetts()), (QStringList{"abc.a", "abc.b", "abc.c"}));
}

TEST_F(PloverWindowTest, CtrlReleaseSelectsTheRangeBetweenTwoEntries) {
    list().start(writeBuf("more.buf", {{0, "d", "\x01"}, {0, "e", "\x02"}}));
    ASSERT_EQ(offsetts()->count(), 5);
    clickRow(offsetts(), 0);
    clickRow(offsetts(), 3, Qt::ControlModifier);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(offsetts()->item(i)->isSelected(), i <= 3) << i;
    EXPECT_EQ(list().selectedCount(), 4);
}

TEST_F(PloverWindowTest, AssignOpensTheSearchAndPlacesTheLabels) {
    std::string bytes(0x3000, '\x11');
    std::fill(bytes.begin() + 0x1100, bytes.begin() + 0x1100 + 400, '\xFF');
    spit(path("img.bin"), bytes);
    auto* destination = child<QLineEdit>("Export");
    destination->setFocus();
    QTest::keyClicks(destination, QString::fromStdString(path("img.bin")));
    QTest::keyClick(destination, Qt::Key_Return);
    EXPECT_EQ(list().destination(), path("img.bin"));

    bool driven = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = dynamic_cast<SearchDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), "Search...");
        EXPECT_EQ(dialog->findChild<QLineEdit*>("txtBytes")->text(), "35");
        EXPECT_TRUE(dialog->findChild<QRadioButton*>("Pattern1")->isChecked());
        auto* safety = dialog->findChild<QCheckBox*>("Safety");
        EXPECT_EQ(safety->text(), "Check1");
        EXPECT_EQ(safety->toolTip(), "min 100");
        QTest::mouseClick(safety, Qt::LeftButton);
        EXPECT_EQ(safety->toolTip(), "min 10");
        auto* start = dialog->findChild<QLineEdit*>("TxtStart");
        start->setText("0x1000");
        QTest::mouseClick(dialog->findChild<QToolButton*>("cmdLook"), Qt::LeftButton);
        EXPECT_EQ(start->text(), "&h1000");
        auto* locations = dialog->findChild<QListWidget*>("LstLocations");
        ASSERT_EQ(locations->count(), 1);
        EXPECT_EQ(locations->item(0)->text(), "&H1101");
        QTest::mouseClick(locations->viewport(), Qt::LeftButton, Qt::NoModifier,
                          locations->visualItemRect(locations->item(0)).center());
        EXPECT_EQ(dialog->findChild<QLineEdit*>("txtOffsett")->text(), "&H1101");
        auto* assign = dialog->findChild<QPushButton*>("CmdSet");
        EXPECT_EQ(assign->text(), "Assign");
        QTest::mouseClick(assign, Qt::LeftButton);
        driven = true;
    });
    QTest::mouseClick(child<QToolButton>("Insert"), Qt::LeftButton);
    EXPECT_TRUE(driven);
    EXPECT_EQ(shown(offsetts()), (QStringList{"abc.a (1101)", "abc.b (110B)", "abc.c (111F)"}));

    // The window with its map, for a look at it.
    window->resize(560, 440);
    const std::string shot = std::filesystem::temp_directory_path() / "plover-window.png";
    window->grab().save(QString::fromStdString(shot));
}

TEST_F(PloverWindowTest, AssignWithoutAnAddressKeepsTheDialogOpen) {
    writeImage("img.bin", 0x100);
    list().setDestination(path("img.bin"));
    int boxesBefore = 0;
    QTimer::singleShot(0, [&] {
        auto* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        boxesBefore = static_cast<int>(platform.boxes.size());
        QTest::mouseClick(dialog->findChild<QPushButton*>("CmdSet"), Qt::LeftButton);
        EXPECT_TRUE(dialog->isVisible());  // refused: no address chosen
        dialog->close();
    });
    QTest::mouseClick(child<QToolButton>("Insert"), Qt::LeftButton);
    EXPECT_EQ(static_cast<int>(platform.boxes.size()), boxesBefore + 1);
    EXPECT_EQ(shown(offsetts()), (QStringList{"abc.a", "abc.b", "abc.c"}));
}

TEST_F(PloverWindowTest, TheFloatingViewAsksForAnAddressThroughAssign) {
    clickTab(1);
    platform.inputAnswers.push_back("0x2000");
    QTest::mouseClick(child<QToolButton>("Insert"), Qt::LeftButton);
    EXPECT_EQ(child<QListWidget>("LstPoint")->count(), 0);
    EXPECT_EQ(platform.boxes.back(), "Entetr Absolute Offsett|Hex Offsetts may start with &h or 0x");
}

}  // namespace
TEST_F(PloverWindowTest, WhatAnotherStartSendsLoadsInItsFolder) {
    const std::filesystem::path other = writeBuf("other.buf", {{0, "x", "\x01"}});
    const std::string folder = other.parent_path().string();
    using Kind = InstanceChannel::Message::Kind;
    // A start without files only brings the window to the front.
    window->received({Kind::line, folder, ""});
    EXPECT_EQ(shown(offsetts()), (QStringList{"abc.a", "abc.b", "abc.c"}));
    window->received({Kind::line, folder, "other.buf"});
    EXPECT_EQ(shown(offsetts()), (QStringList{"abc.a", "abc.b", "abc.c", "other.x"}));
    EXPECT_TRUE(logged("Forwarded: " + other.lexically_normal().string()));

    const std::string third = writeBuf("third.buf", {{0, "y", "\x02"}});
    window->received({Kind::execute, folder, "third.buf"});
    EXPECT_EQ(shown(offsetts()), (QStringList{"abc.a", "abc.b", "abc.c", "other.x", "third.y"}));
    EXPECT_TRUE(list().files().empty());
}

}  // namespace kestrel::test

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
