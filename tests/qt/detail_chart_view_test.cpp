// The views of the detail window and the temperature chart follow their
// state on the offscreen platform; their buttons reach the core.
#include <gtest/gtest.h>

#include <QAbstractAxis>
#include <QCategoryAxis>
#include <QChart>
#include <QLabel>
#include <QLineSeries>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTextBlock>
#include <QValueAxis>

#include "console/chart_window.h"
#include "console/detail_window.h"
#include "console/main_window.h"
#include "monitor/debug_window.h"
#include "monitor/device_table.h"
#include "qt/chart_view.h"
#include "qt/detail_view.h"
#include "qt/mirror.h"
#include "qt/pictures.h"
#include "qt/console_ui.h"
#include "accessible.h"
#include "support/app_fixture.h"

namespace zol {
namespace {

struct DetailChartViews : ::testing::Test {
  DetailChartViews() : ui(*f.app) {
    f.app->Start();
    f.sim.Advance(3001);
    Grid& t = table();
    t.SetCell(dtcol::MacAddress, 1, "02:5A:3C:00:00:01");
    t.SetCell(dtcol::OutletInfo, 1, "2,1");
    t.SetCell(dtcol::ItemKinds, 1, "12000000");
    t.SetCell(dtcol::DeviceName, 1, "Rack1");
    t.SetCell(dtcol::OutletNames, 1, "Web,Sensor,");
    t.SetCell(dtcol::RecvDate, 1, "2024/05/01");
    t.SetCell(dtcol::RecvTime, 1, "09:30:00");
    t.SetCell(dtcol::OlWordA, 1, "0001 0000");
    t.SetCell(dtcol::PngPower, 1, "0001 0000");
    t.SetCell(dtcol::PngJudge, 1, "0002 0001");
    t.SetCell(dtcol::PngAction, 1, "0001 0000");
    t.SetCell(dtcol::TmpActions, 1, "00 01");
    t.SetCell(dtcol::Status, 1, "02");
    t.SetCell(dtcol::CurTemp, 1, "41.5");
    t.SetCell(dtcol::LowerAlarm, 1, "-5");
    t.SetCell(dtcol::LowerCaution, 1, "0");
    t.SetCell(dtcol::UpperCaution, 1, "35");
    t.SetCell(dtcol::UpperAlarm, 1, "40");
    ui.mirror().Poll();
  }
  Grid& table() { return f.app->Form4().StringGrid1; }
  DetailWindow& detail() { return f.app->Form6(); }
  ChartWindow& chart() { return f.app->Form11(); }
  // The colour painted at a point of a grid cell (inside its frame).
  QColor CellColour(QTableView* v, int col, int row, int dx = 3, int dy = 3) {
    const QImage img = v->grab().toImage();
    const int x = v->frameWidth() + v->columnViewportPosition(col) + dx;
    const int y = v->frameWidth() + v->rowViewportPosition(row) + dy;
    return img.pixelColor(x, y);
  }
  AppFixture f;
  ConsoleUi ui;
};

TEST_F(DetailChartViews, DetailViewFollowsItsWindow) {
  DetailView& v = ui.detail();
  EXPECT_FALSE(v.isVisible());
  EXPECT_EQ(v.size(), QSize(490, 480));
  table().SetCell(dtcol::TempEnabled, 1, "00");
  detail().OpenDevice(1);
  ui.mirror().Poll();
  ASSERT_TRUE(v.isVisible());
  EXPECT_EQ(v.windowTitle(), QStringLiteral(u"詳細情報"));
  EXPECT_EQ(v.findChild<QLabel*>(QStringLiteral("NamePanel"))->text(), QStringLiteral("Rack1"));
  // A screen reader reads the value, labelled by its caption.
  EXPECT_EQ(ReadName(v.findChild<QLabel*>(QStringLiteral("NamePanel"))), QStringLiteral("Rack1"));
  EXPECT_EQ(ReadLabel(v.findChild<QLabel*>(QStringLiteral("NamePanel"))), QStringLiteral(u"機器名称"));
  EXPECT_EQ(v.findChild<QLabel*>(QStringLiteral("OlNamePanel2"))->text(), QStringLiteral("Sensor"));
  EXPECT_FALSE(v.findChild<QLabel*>(QStringLiteral("OlNamePanel3"))->isVisibleTo(&v));
  EXPECT_EQ(v.pages->currentIndex(), 0);
  EXPECT_FALSE(v.pages->isTabVisible(3));  // no temperature function
  EXPECT_EQ(v.pages->tabText(3), QStringLiteral(u"温度情報"));
  // Pictures: outlet 1 ON, outlet 2 OFF, drawn from the strip.
  const QImage strip = OnOffStrip().toImage();
  ASSERT_FALSE(v.images[1]->pixmap().isNull());
  EXPECT_EQ(v.images[1]->pixmap().toImage(), strip.copy(0, 0, 80, 25));
  EXPECT_EQ(v.images[2]->pixmap().toImage(), strip.copy(0, 25, 80, 25));
  EXPECT_EQ(v.images[2]->accessibleDescription(), QStringLiteral("OFF"));
  // Page 4: the alarm panel's colour; shown for a device with the function.
  EXPECT_EQ(v.alam_panel->text(), QStringLiteral(u"上限警報"));
  EXPECT_TRUE(v.alam_panel->styleSheet().contains(QStringLiteral("#ff0000")));
  table().SetCell(dtcol::TempEnabled, 1, "01");
  detail().OpenDevice(1);
  ui.mirror().Poll();
  EXPECT_TRUE(v.pages->isTabVisible(3));

  // The tab the operator picks reaches the core; the close button too.
  v.pages->setCurrentIndex(1);
  EXPECT_EQ(detail().PageControl1.ActivePageIndex(), 1);
  QTest::mouseClick(v.close, Qt::LeftButton);
  EXPECT_FALSE(detail().Visible());
  ui.mirror().Poll();
  EXPECT_FALSE(v.isVisible());
}

TEST_F(DetailChartViews, GridsArePaintedByTheCore) {
  detail().OpenDevice(1);
  detail().PageControl1.SetActivePageIndex(1);
  ui.mirror().Poll();
  QTableView* g = ui.detail().ol_grid;
  EXPECT_EQ(g->rowHeight(0), 40);
  EXPECT_EQ(g->rowHeight(1), 25);
  EXPECT_EQ(g->columnWidth(1), 65);
  EXPECT_EQ(g->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  EXPECT_EQ(g->selectionMode(), QAbstractItemView::NoSelection);
  EXPECT_EQ(CellColour(g, 3, 0), QColor(0xA6, 0xCA, 0xF0));  // header row
  EXPECT_EQ(CellColour(g, 0, 1), QColor(0x80, 0x80, 0x80));  // number column
  EXPECT_EQ(CellColour(g, 1, 1), QColor(0xA0, 0xFF, 0xA0));  // outlet 1 power ON
  EXPECT_EQ(CellColour(g, 1, 2), QColor(0xE0, 0xE0, 0xE0));  // outlet 2 power OFF
  EXPECT_EQ(CellColour(g, 2, 1), QColor(0xFF, 0xA0, 0xA0));  // PING judgement 2: 異常
  EXPECT_EQ(CellColour(g, 2, 2), QColor(0xFF, 0xA0, 0xA0));  // temperature alarm: 警報
  EXPECT_EQ(CellColour(g, 2, 3), g->palette().color(QPalette::Base));  // no third outlet: no overlay
  // The overlay changes with the row without a refill: the next paint shows it.
  table().SetCell(dtcol::Status, 1, "01");
  detail().TmpPngrefh(1);
  ui.mirror().Poll();
  EXPECT_EQ(CellColour(g, 2, 2), QColor(0xFF, 0xFF, 0xA0));
}

TEST_F(DetailChartViews, ChartViewFollowsTheChart) {
  MainWindow& main = f.app->Form2();
  main.TempDevice = 1;
  main.receive.TempHistory[0] = "2024/05/01,09:30:02,41.5";
  main.receive.TempHistory[1] = "2024/05/01,09:30:01,41.0";
  main.receive.TempHistory[2] = "2024/05/01,09:30:00,40.5";
  main.icons.BitBtn1Click();
  ui.mirror().Poll();
  ChartView& v = ui.chart();
  ASSERT_TRUE(v.isVisible());
  EXPECT_EQ(v.windowTitle(), QStringLiteral(u"温度センサー"));
  EXPECT_EQ(v.chart->title(), QStringLiteral("ID001 Rack1"));
  EXPECT_FALSE(v.chart->legend()->isVisible());
  EXPECT_EQ(v.axis_y->min(), -20);
  EXPECT_EQ(v.axis_y->max(), 60);
  EXPECT_EQ(v.axis_x->min(), 0);
  EXPECT_EQ(v.axis_x->max(), 99);
  ASSERT_EQ(v.chart->series().size(), 5);
  const QList<QPointF> temps = v.series[0]->points();
  EXPECT_EQ(temps, (QList<QPointF>{{97, 40.5}, {98, 41.0}, {99, 41.5}}));
  EXPECT_EQ(v.series[4]->points(), (QList<QPointF>{{97, 40}, {98, 40}, {99, 40}}));
  EXPECT_EQ(v.series[0]->pen().color(), QColor(0, 0, 0xFF));
  EXPECT_EQ(v.series[0]->pen().width(), 2);
  EXPECT_EQ(v.series[1]->pen().style(), Qt::DotLine);
  EXPECT_EQ(v.series[1]->pen().color(), QColor(0xFF, 0xFF, 0x80));
  EXPECT_EQ(v.series[3]->pen().color(), QColor(0xFF, 0x80, 0x80));
  EXPECT_FALSE(v.series[0]->pointsVisible());
  // The newest reading's label on the axis, its three lines as rich text.
  EXPECT_EQ(v.axis_x->categoriesLabels(), QStringList{QStringLiteral(u"24/05/01<br>09:30:02<br>(41.5℃)")});
  EXPECT_EQ(v.label1->text(), QStringLiteral(u"2024/05/01 09:30:00  41.5℃ "));

  // The list: shown over the chart, new lines appended.
  QTest::mouseClick(v.show_list, Qt::LeftButton);
  ui.mirror().Poll();
  ASSERT_TRUE(v.memo1->isVisible());
  EXPECT_EQ(v.memo1->blockCount(), 3);
  EXPECT_EQ(v.memo1->document()->firstBlock().text(), QStringLiteral(u"2024/05/01 09:30:00  40.5℃"));
  chart().ChartRefresh();
  chart().ChartRefresh();
  ui.mirror().Poll();
  EXPECT_EQ(v.memo1->blockCount(), 5);
  EXPECT_EQ(v.memo1->document()->lastBlock().text(), QStringLiteral(u"2024/05/01 09:30:00  41.5℃ "));
  QTest::mouseClick(v.hide_list, Qt::LeftButton);
  ui.mirror().Poll();
  EXPECT_FALSE(v.memo1->isVisible());
  EXPECT_EQ(v.show_list->accessibleName(), QStringLiteral(u"リストを表示"));

  // The close button ends the refreshes.
  QTest::mouseClick(v.close, Qt::LeftButton);
  EXPECT_EQ(chart().ChartActive, 0);
  ui.mirror().Poll();
  EXPECT_FALSE(v.isVisible());
}

// Every named widget of both views can be found by a screen reader: by its
// name, a picture by its name, a label by the text it shows.
TEST_F(DetailChartViews, NamedWidgetsHaveAccessibleNames) {
  for (QWidget* top : {static_cast<QWidget*>(&ui.detail()), static_cast<QWidget*>(&ui.chart())}) {
    int named = 0;
    for (QWidget* w : top->findChildren<QWidget*>()) {
      if (w->objectName().isEmpty() || w->objectName().startsWith(QStringLiteral("qt_"))) continue;
      ++named;
      const auto* label = qobject_cast<QLabel*>(w);
      if (label && label->accessibleName().isEmpty()) {
        if (!ShownText(label).isEmpty()) {
          EXPECT_EQ(ReadName(w), ShownText(label)) << w->objectName().toStdString();
        }
      } else {
        EXPECT_FALSE(ReadName(w).isEmpty()) << w->objectName().toStdString();  // pictures by their names
      }
    }
    EXPECT_GT(named, 5);
  }
  EXPECT_NE(ui.detail().findChild<QTableView*>(QStringLiteral("OlGrid2")), nullptr);
  EXPECT_NE(ui.chart().findChild<QPushButton*>(QStringLiteral("BitBtn2")), nullptr);
}

TEST(AxisLabels, ThinnedFromTheNewestAndUnique) {
  std::vector<std::pair<double, QString>> points;
  for (int x = 50; x <= 99; ++x) points.emplace_back(x, QString::number(x));
  std::vector<double> xs;
  for (const AxisLabel& l : ThinnedAxisLabels(points, 20)) xs.push_back(l.x);
  EXPECT_EQ(xs, (std::vector<double>{59, 79, 99}));
  // Two readings in one second carry one text: the axis shows it once.
  points = {{97, QStringLiteral("a")}, {98, QStringLiteral("b")}, {99, QStringLiteral("b")}};
  const auto labels = ThinnedAxisLabels(points, 1);
  ASSERT_EQ(labels.size(), 2u);
  EXPECT_EQ(labels[0].x, 97);
  EXPECT_EQ(labels[1].x, 99);
  EXPECT_TRUE(ThinnedAxisLabels({}, 20).empty());
}

}  // namespace
}  // namespace zol
