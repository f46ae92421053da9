// The view of the temperature chart: a chart widget over the window's
// chart state, its status line and reading list, and the button bar.
#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <utility>
#include <vector>

class QCategoryAxis;
class QChart;
class QChartView;
class QLabel;
class QLineSeries;
class QPlainTextEdit;
class QPushButton;
class QValueAxis;

namespace zol {

class App;
class Mirror;
class ChartWindow;

class ChartView : public QWidget {
  Q_OBJECT
 public:
  ChartView(App& app, Mirror& mirror);

  QChartView* view = nullptr;
  QChart* chart = nullptr;
  std::array<QLineSeries*, 5> series{};
  QValueAxis* axis_y = nullptr;
  QCategoryAxis* axis_x = nullptr;
  QLabel* label1 = nullptr;
  QPlainTextEdit* memo1 = nullptr;
  QPushButton* close = nullptr;  // BitBtn1
  QPushButton* clear = nullptr;  // BitBtn2
  QPushButton* hide_list = nullptr;  // BitBtn3
  QPushButton* show_list = nullptr;  // BitBtn4

 protected:
  bool eventFilter(QObject* obj, QEvent* ev) override;

 private:
  void ApplyChart();
  void PlaceOverlays();
  ChartWindow& f_;
};

// The horizontal axis' labels of a series' point labels: at most one in
// every step readings counted back from the newest, each unique.
struct AxisLabel {
  double x;
  QString text;
};
std::vector<AxisLabel> ThinnedAxisLabels(const std::vector<std::pair<double, QString>>& points, int step);

}  // namespace zol
