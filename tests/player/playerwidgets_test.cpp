#include "player/playerwidgets.h"

#include "qtprinters.h"

#include <QLabel>
#include <QListWidget>
#include <QStatusBar>
#include <QTimer>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace ecolvar {
namespace {

class PlayerWidgetsTest : public ::testing::Test {
protected:
    PlayerWidgetsTest() : view({ &Label6, &Label7, &LblFileLst, &ListBox1, &Timer2, &StatusBar1 })
    {
    }

    QLabel Label6, Label7, LblFileLst;
    QListWidget ListBox1;
    QTimer Timer2;
    QStatusBar StatusBar1;
    PlayerWidgets view;
};

TEST_F(PlayerWidgetsTest, SidePanelLinesSelectionAndHints)
{
    view.setSideLines({ u"/m/a.mp3"_s, u"/m/b.mp3"_s });
    EXPECT_EQ(ListBox1.count(), 2);
    EXPECT_EQ(view.selectedSideLine(), -1);
    view.selectSideLine(1);
    EXPECT_EQ(view.selectedSideLine(), 1);
    EXPECT_EQ(ListBox1.currentItem()->text(), u"/m/b.mp3"_s);

    // The hint follows the line under the pointer and stays over the empty area.
    view.ListBox1MouseMove(ListBox1.item(0));
    EXPECT_EQ(ListBox1.toolTip(), u"/m/a.mp3"_s);
    view.ListBox1MouseMove(nullptr);
    EXPECT_EQ(ListBox1.toolTip(), u"/m/a.mp3"_s);

    view.setSideLines({});
    EXPECT_EQ(ListBox1.count(), 0);
    EXPECT_EQ(view.selectedSideLine(), -1);
}

} // namespace
} // namespace ecolvar
