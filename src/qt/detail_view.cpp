#include "qt/detail_view.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>

#include "console/app.h"
#include "qt/form_view.h"
#include "qt/mirror.h"
#include "qt/pictures.h"
#include "qt/sjis.h"
#include "qt/view_util.h"

namespace zol {

namespace {

QString S(const std::string& sjis) { return FromSjis(sjis); }

// A label of a field: white text on a grey cell.
QLabel* CaptionCell(QWidget* parent, const std::string& text, const QRect& r) {
  auto* l = new QLabel(S(text), parent);
  l->setGeometry(r);
  l->setAlignment(Qt::AlignCenter);
  l->setStyleSheet(QStringLiteral("QLabel { color: white; background: #808080; }"));
  return l;
}

// A value field: a sunken white panel bound to its control, read by its
// text, with the caption cell as its label.
QLabel* ValueCell(QWidget* parent, Mirror& mirror, const TextControl& c, const char* name, QLabel* caption,
                  const QRect& r) {
  auto* l = new QLabel(parent);
  l->setObjectName(QString::fromLatin1(name));
  if (caption) caption->setBuddy(l);
  l->setGeometry(r);
  l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  l->setAutoFillBackground(true);
  l->setStyleSheet(QStringLiteral("QLabel { background: white; padding-left: 3px; }"));
  l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  mirror.Bind(l, c);
  return l;
}

QColor FillColor(Color c, const QPalette& palette) {
  if (c == kWindowColor) return palette.color(QPalette::Base);
  return QColor::fromRgb(c & 0xFFFFFF);
}

// A read-only grid without selection or scroll bars, sized by the grid's
// widths and heights, painted by the core's function.
QTableView* GridView(QWidget* parent, Mirror& mirror, Grid& grid, const char* name, const std::string& label,
                     std::function<CellPaint(int, int)> paint) {
  auto* v = new QTableView(parent);
  v->setObjectName(QString::fromLatin1(name));
  v->setAccessibleName(S(label));
  mirror.Bind(v, grid);
  v->setItemDelegate(new CellDelegate(std::move(paint), v));
  v->setSelectionMode(QAbstractItemView::NoSelection);
  v->setEditTriggers(QAbstractItemView::NoEditTriggers);
  v->setFocusPolicy(Qt::NoFocus);
  v->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  v->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  v->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  v->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  v->verticalHeader()->setMinimumSectionSize(1);
  // The window sets the sizes as it is created, after the view is built.
  mirror.Watch(grid, [v, &grid] {
    int width = 0, height = 0;
    for (int c = 0; c < grid.ColCount(); ++c) {
      if (v->columnWidth(c) != grid.ColWidth(c)) v->setColumnWidth(c, grid.ColWidth(c));
      width += grid.ColWidth(c);
    }
    for (int r = 0; r < grid.RowCount(); ++r) {
      if (v->rowHeight(r) != grid.RowHeight(r)) v->setRowHeight(r, grid.RowHeight(r));
      height += grid.RowHeight(r);
    }
    v->setFixedSize(width + 2 * v->frameWidth(), height + 2 * v->frameWidth());
  });
  return v;
}

}  // namespace

CellDelegate::CellDelegate(std::function<CellPaint(int, int)> paint, QObject* parent)
    : QStyledItemDelegate(parent), paint_(std::move(paint)) {}

void CellDelegate::paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  const CellPaint cell = paint_(index.column(), index.row());
  p->save();
  p->fillRect(option.rect, FillColor(cell.fill, option.palette));
  QFont font = option.font;
  font.setPointSize(cell.font_points);
  p->setFont(font);
  p->setPen(QColor::fromRgb(cell.font_color & 0xFFFFFF));
  for (const CellText& t : cell.texts) {
    if (t.centred) p->drawText(option.rect, Qt::AlignCenter, S(t.text));
    else p->drawText(option.rect.adjusted(4, 0, 0, 0).translated(0, t.dy), Qt::AlignLeft | Qt::AlignVCenter, S(t.text));
  }
  p->restore();
}

DetailView::DetailView(App& app, Mirror& mirror) : QWidget(nullptr, Qt::Dialog) {
  DetailWindow& f = app.Form6();
  setObjectName(QStringLiteral("Form6"));
  setWindowIcon(ProgramIcon());
  setFixedSize(490, 480);

  // Above the pages: name, memo, update time.
  ValueCell(this, mirror, f.NamePanel, "NamePanel", CaptionCell(this, "機器名称", QRect(8, 8, 72, 22)),
            QRect(82, 8, 400, 22));
  ValueCell(this, mirror, f.MemoPanel, "MemoPanel", CaptionCell(this, "メモ", QRect(8, 32, 72, 22)),
            QRect(82, 32, 400, 22));
  ValueCell(this, mirror, f.DatePanel, "DatePanel", CaptionCell(this, "更新時間", QRect(8, 56, 72, 22)),
            QRect(82, 56, 180, 22));

  pages = new QTabWidget(this);
  pages->setObjectName(QStringLiteral("PageControl1"));
  pages->setAccessibleName(S(f.Caption()));
  pages->setGeometry(8, 84, 474, 352);
  QWidget* sheets[4];
  for (int k = 0; k < 4; ++k) {
    sheets[k] = new QWidget(pages);
    sheets[k]->setObjectName(QStringLiteral("TabSheet%1").arg(k + 1));
    sheets[k]->setAccessibleName(S(f.TabCaption[static_cast<size_t>(k)]));
    pages->addTab(sheets[k], S(f.TabCaption[static_cast<size_t>(k)]));
  }
  mirror.Watch(f.PageControl1, [this, &f] { pages->setCurrentIndex(f.PageControl1.ActivePageIndex()); });
  connect(pages, &QTabWidget::currentChanged, this, [&f](int i) { f.PageControl1.SetActivePageIndex(i); });
  for (int k = 0; k < 4; ++k) {
    mirror.Watch(f.TabSheet[static_cast<size_t>(k)], [this, &f, k] {
      pages->setTabVisible(k, f.TabSheet[static_cast<size_t>(k)].Visible());
    });
  }

  // Page 1: address, MAC or terminal ID, the outlets, the description.
  QWidget* p1 = sheets[0];
  ValueCell(p1, mirror, f.IpaddrPanel, "IpaddrPanel", CaptionCell(p1, "IPアドレス", QRect(8, 8, 96, 22)),
            QRect(106, 8, 150, 22));
  QLabel* label7 = CaptionCell(p1, f.Label7.Caption(), QRect(8, 32, 96, 22));
  label7->setObjectName(QStringLiteral("Label7"));
  mirror.Bind(label7, f.Label7);  // "MACアドレス" or "ターミナルID"
  ValueCell(p1, mirror, f.MacAddrPanel, "MacAddrPanel", label7, QRect(106, 32, 150, 22));
  CaptionCell(p1, "アウトレット名称", QRect(36, 62, 258, 20));
  CaptionCell(p1, "状態", QRect(300, 62, 80, 20));
  const QPixmap strip = OnOffStrip();
  for (int k = 1; k <= 8; ++k) {
    const size_t i = static_cast<size_t>(k);
    const int y = 84 + (k - 1) * 27;
    QLabel* no = CaptionCell(p1, f.OlNoLabel[i].Caption(), QRect(8, y, 26, 25));
    no->setObjectName(QStringLiteral("OlNoLabel%1").arg(k));
    mirror.Bind(no, f.OlNoLabel[i]);
    const std::string name = "OlNamePanel" + std::to_string(k);
    ValueCell(p1, mirror, f.OlNamePanel[i], name.c_str(), no, QRect(36, y, 258, 25));
    auto* image = new QLabel(p1);
    images[i] = image;
    image->setObjectName(QStringLiteral("OlImage%1").arg(k));
    image->setAccessibleName(S("状態 " + std::to_string(k)));
    image->setGeometry(300, y, 80, 25);
    mirror.Watch(f.OlImage[i], [image, strip, &f, i] {
      const StripImage& pic = f.OlImage[i];
      ApplyControl(image, pic);
      if (pic.Band() == StripImage::kNone || (pic.Band() + 1) * 25 > strip.height()) image->clear();
      else image->setPixmap(strip.copy(0, pic.Band() * 25, 80, 25));
      image->setAccessibleDescription(pic.Band() == kStripOn    ? QStringLiteral("ON")
                                      : pic.Band() == kStripOff ? QStringLiteral("OFF")
                                                                : QString());
    });
  }
  auto* label26 = new QLabel(p1);
  label26->setObjectName(QStringLiteral("Label26"));  // the device's description
  label26->setGeometry(8, 304, 454, 18);
  mirror.Bind(label26, f.Label26);

  // Pages 2 and 3: the grids.
  QWidget* p2 = sheets[1];
  ol_grid = GridView(p2, mirror, f.OlGrid, "OlGrid", f.TabCaption[1],
                     [&f](int c, int r) { return f.OlGridDrawCell(c, r); });
  ol_grid->move(8, 8);
  auto* note = new QLabel(S("▲ アウトレット番号"), p2);
  note->move(8, 8 + 242 + 6);

  QWidget* p3 = sheets[2];
  for (int t = 1; t <= 4; ++t)
    CaptionCell(p3, "IPアドレス" + std::to_string(t), QRect(8 + 1 + 25 + (t - 1) * 106, 8, 106, 20));
  ol_grid2 = GridView(p3, mirror, f.OlGrid2, "OlGrid2", f.TabCaption[2],
                      [&f](int c, int r) { return f.OlGrid2DrawCell(c, r); });
  ol_grid2->move(8, 30);
  auto* note2 = new QLabel(S("▲ アウトレット番号"), p3);
  note2->move(8, 30 + 242 + 6);

  // Page 4: the temperature function.
  QWidget* p4 = sheets[3];
  auto* settings = new QGroupBox(S("設定状態"), p4);
  settings->setGeometry(8, 2, 454, 194);
  CaptionCell(settings, "設定内容", QRect(8, 20, 438, 18));
  Panel* lines[8] = {&f.Panel16, &f.Panel17, &f.Panel18, &f.Panel19, &f.Panel20, &f.Panel21, &f.Panel22, &f.Panel23};
  for (int k = 1; k <= 8; ++k) {
    const int y = 40 + (k - 1) * 18;
    QLabel* no = CaptionCell(settings, std::to_string(k), QRect(8, y, 20, 17));
    const std::string name = "Panel" + std::to_string(15 + k);
    ValueCell(settings, mirror, *lines[k - 1], name.c_str(), no, QRect(30, y, 416, 17));
  }
  auto* limits = new QGroupBox(S("指定温度設定 "), p4);
  limits->setGeometry(8, 200, 300, 120);
  struct Limit {
    const char* label;
    Panel* panel;
    const char* name;
  } fields[6] = {{"上限警報", &f.Panel10, "Panel10"}, {"上限注意", &f.Panel11, "Panel11"}, {"上限Hys", &f.Panel12, "Panel12"},
                 {"下限警報", &f.Panel13, "Panel13"}, {"下限注意", &f.Panel14, "Panel14"}, {"下限Hys", &f.Panel15, "Panel15"}};
  for (int k = 0; k < 6; ++k) {
    const int x = 8 + (k / 3) * 146, y = 20 + (k % 3) * 32;
    QLabel* caption = CaptionCell(limits, fields[k].label, QRect(x, y, 70, 26));
    QLabel* v = ValueCell(limits, mirror, *fields[k].panel, fields[k].name, caption, QRect(x + 72, y, 64, 26));
    v->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  }
  auto* state = new QGroupBox(S("温度状態"), p4);
  state->setGeometry(316, 200, 146, 120);
  alam_panel = new QLabel(state);
  alam_panel->setObjectName(QStringLiteral("AlamPanel"));  // read by its text, in "温度状態"
  alam_panel->setGeometry(10, 22, 126, 28);
  alam_panel->setAlignment(Qt::AlignCenter);
  alam_panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  mirror.Tie(alam_panel, f.AlamPanel);
  mirror.Watch(f.AlamPanel, [this, &f] {
    ApplyControl(alam_panel, f.AlamPanel);
    alam_panel->setText(S(f.AlamPanel.Caption()));
    alam_panel->setStyleSheet(QStringLiteral("QLabel { background: %1; font-weight: bold; }")
                                  .arg(ColorName(f.AlamPanel.BackColor())));
  });
  auto* temp = new QLabel(state);
  temp->setObjectName(QStringLiteral("TempLabel"));
  temp->setGeometry(10, 58, 96, 44);
  temp->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  QFont big = temp->font();
  big.setPointSize(20);
  big.setBold(true);
  temp->setFont(big);
  mirror.Bind(temp, f.TempLabel);
  auto* unit = new QLabel(S("℃"), state);
  unit->setGeometry(108, 68, 30, 30);

  close = new QPushButton(this);
  close->setObjectName(QStringLiteral("BitBtn1"));
  close->setAccessibleName(S(f.BitBtn1.Caption()));
  close->setGeometry(392, 444, 90, 28);
  mirror.Bind(close, f.BitBtn1);
  OnClicked(close, mirror, [&f] { f.BitBtn1Click(); });

  CentreOnScreen(this);
  new FormView(mirror, this, f, [&f] { f.Close(); });
}

}  // namespace zol
