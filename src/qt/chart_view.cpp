#include "qt/chart_view.h"

#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QCursor>
#include <QEvent>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QLinearGradient>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <memory>

#include "console/app.h"
#include "console/chart_window.h"
#include "qt/form_view.h"
#include "qt/mirror.h"
#include "qt/pictures.h"
#include "qt/sjis.h"
#include "qt/view_util.h"

namespace zol {

namespace {

// Readings between two labels of the horizontal axis.
constexpr int kLabelStep = 20;

// A point label's lines (joined by CR) as shown on the axis or in a tooltip.
QString LabelLines(const std::string& label, const QString& separator) {
  QString text = FromSjis(label);
  text.replace(QLatin1Char('\r'), separator);
  return text;
}

QPushButton* PictureButton(QWidget* parent, Mirror& mirror, Button& b, const char* name, ToolPicture pic) {
  auto* w = new QPushButton(parent);
  w->setObjectName(QString::fromLatin1(name));
  w->setIcon(ToolIcon(pic));
  w->setIconSize(QSize(24, 24));
  w->setFixedSize(36, 30);
  w->setAccessibleName(FromSjis(b.Hint()));
  mirror.Bind(w, b);
  return w;
}

}  // namespace

std::vector<AxisLabel> ThinnedAxisLabels(const std::vector<std::pair<double, QString>>& points, int step) {
  std::vector<AxisLabel> out;
  if (step < 1) step = 1;
  // From the newest back, every step-th reading; a text the axis already
  // holds would be dropped by it, so it is left out here.
  for (size_t k = points.size(); k-- > 0;) {
    if ((points.size() - 1 - k) % static_cast<size_t>(step) != 0) continue;
    bool taken = false;
    for (const AxisLabel& l : out) taken = taken || l.text == points[k].second;
    if (!taken) out.push_back(AxisLabel{points[k].first, points[k].second});
  }
  std::reverse(out.begin(), out.end());
  return out;
}

ChartView::ChartView(App& app, Mirror& mirror) : QWidget(nullptr, Qt::Window), f_(app.Form11()) {
  ChartWindow& f = f_;
  setObjectName(QStringLiteral("Form11"));
  setWindowIcon(ProgramIcon());

  chart = new QChart;
  chart->legend()->hide();
  chart->setMargins(QMargins(4, 4, 40, 4));  // room for the newest label at x = 99
  QLinearGradient ground(0, 0, 0, 1);
  ground.setCoordinateMode(QGradient::ObjectBoundingMode);
  ground.setColorAt(0, QColor(0xC8, 0xD8, 0xEC));
  ground.setColorAt(1, Qt::white);
  chart->setBackgroundBrush(ground);
  axis_x = new QCategoryAxis;
  axis_x->setRange(0, 99);
  axis_x->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
  axis_x->setStartValue(0);
  QFont small = axis_x->labelsFont();
  small.setPointSize(7);
  axis_x->setLabelsFont(small);
  axis_y = new QValueAxis;
  axis_y->setTickCount(9);
  axis_y->setLabelFormat(QStringLiteral("%d"));
  chart->addAxis(axis_x, Qt::AlignBottom);
  chart->addAxis(axis_y, Qt::AlignLeft);
  for (size_t s = 0; s < series.size(); ++s) series[s] = new QLineSeries;
  // Added last, the temperature line lies above the threshold lines.
  for (size_t k = series.size(); k-- > 0;) {
    series[k]->setObjectName(QStringLiteral("Series%1").arg(k + 1));
    chart->addSeries(series[k]);
    series[k]->attachAxis(axis_x);
    series[k]->attachAxis(axis_y);
  }
  connect(series[ChartWindow::Series1], &QLineSeries::hovered, this, [this](const QPointF& at, bool on) {
    if (!on) {
      QToolTip::hideText();
      return;
    }
    const auto& points = f_.Chart1.Points(ChartWindow::Series1);
    const ChartPoint* best = nullptr;
    for (const ChartPoint& p : points)
      if (!best || std::fabs(p.x - at.x()) < std::fabs(best->x - at.x())) best = &p;
    if (best) QToolTip::showText(QCursor::pos(), LabelLines(best->label, QStringLiteral("\n")), view);
  });

  view = new QChartView(chart, this);
  view->setObjectName(QStringLiteral("Chart1"));
  view->setAccessibleName(FromSjis("温度"));
  view->setRenderHint(QPainter::Antialiasing);
  view->installEventFilter(this);

  label1 = new QLabel(view);
  label1->setObjectName(QStringLiteral("Label1"));  // the temperature, read by its text
  label1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  label1->setAttribute(Qt::WA_TranslucentBackground);
  label1->setStyleSheet(QStringLiteral("QLabel { background: transparent; }"));
  mirror.Tie(label1, f.Label1);
  mirror.Watch(f.Label1, [this, &f] {
    ApplyControl(label1, f.Label1);
    label1->setText(FromSjis(f.Label1.Caption()));
    PlaceOverlays();
  });

  memo1 = new QPlainTextEdit(view);
  memo1->setObjectName(QStringLiteral("Memo1"));
  memo1->setAccessibleName(FromSjis("温度"));
  memo1->setReadOnly(true);
  memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  memo1->setMaximumBlockCount(static_cast<int>(kChartListLines));
  memo1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));  // the padded readings line up
  // Only the lines appended since the last look are added to the widget.
  auto seen = std::make_shared<std::pair<uint64_t, uint64_t>>(~uint64_t{0}, 0);  // emptied, appended
  mirror.Watch(f.Memo1, [this, &f, seen] {
    ApplyControl(memo1, f.Memo1);
    const Memo& m = f.Memo1;
    const uint64_t fresh = f.Memo1Appended - seen->second;
    if (f.Memo1Emptied != seen->first || f.Memo1Appended < seen->second || fresh > m.Count()) {
      QString all;
      for (size_t i = 0; i < m.Count(); ++i) {
        if (i) all += QLatin1Char('\n');
        all += FromSjis(m[i]);
      }
      memo1->setPlainText(all);
    } else {
      for (size_t i = m.Count() - static_cast<size_t>(fresh); i < m.Count(); ++i) memo1->appendPlainText(FromSjis(m[i]));
    }
    *seen = {f.Memo1Emptied, f.Memo1Appended};
  });

  clear = PictureButton(this, mirror, f.BitBtn2, "BitBtn2", ToolPicture::ClearChart);
  hide_list = PictureButton(this, mirror, f.BitBtn3, "BitBtn3", ToolPicture::HideList);
  show_list = PictureButton(this, mirror, f.BitBtn4, "BitBtn4", ToolPicture::ShowList);
  close = new QPushButton(this);
  close->setObjectName(QStringLiteral("BitBtn1"));
  close->setAccessibleName(FromSjis(f.BitBtn1.Caption()));
  close->setMinimumSize(90, 30);
  mirror.Bind(close, f.BitBtn1);
  OnClicked(clear, mirror, [&f] { f.BitBtn2Click(); });
  OnClicked(hide_list, mirror, [&f] { f.BitBtn3Click(); });
  OnClicked(show_list, mirror, [&f] { f.BitBtn4Click(); });
  OnClicked(close, mirror, [&f] { f.BitBtn1Click(); });

  auto* top = new QVBoxLayout(this);
  top->setContentsMargins(0, 0, 0, 4);
  top->setSpacing(4);
  top->addWidget(view, 1);
  auto* bar = new QHBoxLayout;
  bar->setContentsMargins(6, 0, 6, 0);
  bar->addWidget(clear);
  bar->addWidget(hide_list);
  bar->addWidget(show_list);
  bar->addStretch(1);
  bar->addWidget(close);
  top->addLayout(bar);

  mirror.Watch(f.Chart1, [this] { ApplyChart(); });
  resize(640, 480);
  CentreOnScreen(this);
  new FormView(mirror, this, f, [&f] { f.Close(); });
}

void ChartView::ApplyChart() {
  const Chart& c = f_.Chart1;
  ApplyControl(view, c);
  QStringList title;
  for (const std::string& line : c.Title()) title << FromSjis(line);
  chart->setTitle(title.join(QLatin1Char('\n')));
  const ChartAxis& a = c.LeftAxis();
  if (!a.automatic) axis_y->setRange(a.minimum, a.maximum);
  chart->legend()->setVisible(c.LegendVisible());
  for (size_t s = 0; s < series.size() && s < c.SeriesCount(); ++s) {
    const ChartPen& pen = c.Pen(s);
    QPen qpen(QColor::fromRgb(pen.color & 0xFFFFFF), pen.width, pen.dotted ? Qt::DotLine : Qt::SolidLine);
    series[s]->setPen(qpen);
    series[s]->setPointsVisible(c.PointMarks());
    QList<QPointF> points;
    points.reserve(static_cast<qsizetype>(c.Points(s).size()));
    for (const ChartPoint& p : c.Points(s)) points.append(QPointF(p.x, p.y));
    series[s]->replace(points);  // one call, one repaint
  }
  // The temperature's point labels on the horizontal axis, thinned so that
  // three-line labels do not run into each other.
  std::vector<std::pair<double, QString>> labelled;
  if (c.SeriesCount() > ChartWindow::Series1)
    for (const ChartPoint& p : c.Points(ChartWindow::Series1))
      labelled.emplace_back(p.x, LabelLines(p.label, QStringLiteral("<br>")));
  for (const QString& old : axis_x->categoriesLabels()) axis_x->remove(old);
  for (const AxisLabel& l : ThinnedAxisLabels(labelled, kLabelStep)) axis_x->append(l.text, l.x);
  axis_x->setRange(0, 99);
}

void ChartView::PlaceOverlays() {
  if (!label1 || !memo1) return;  // still being built
  const QRect area = view->rect();
  label1->adjustSize();
  label1->move(area.right() - label1->width() - 12, 6);
  memo1->setGeometry(area);
  label1->raise();
}

bool ChartView::eventFilter(QObject* obj, QEvent* ev) {
  if (obj == view && ev->type() == QEvent::Resize) PlaceOverlays();
  return QWidget::eventFilter(obj, ev);
}

}  // namespace zol
