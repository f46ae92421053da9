#include "qt/main_view.h"

#include <algorithm>

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "console/app.h"
#include "console/main_window.h"
#include "qt/device_tree_view.h"
#include "qt/form_view.h"
#include "qt/group_tab_view.h"
#include "qt/icon_list_model.h"
#include "qt/mirror.h"
#include "qt/pictures.h"
#include "qt/sjis.h"
#include "qt/view_util.h"

namespace zol {

namespace {

// Room between a header panel's frame and its text.
constexpr int kPanelPadding = 3;

// The width of pattern with each "0" replaced by the widest digit of fm.
int DigitsWidth(const QFontMetrics& fm, const char* pattern) {
  int widest = 0;
  for (char d = '0'; d <= '9'; ++d) {
    QString text = QString::fromLatin1(pattern);
    text.replace(QLatin1Char('0'), QLatin1Char(d));
    widest = std::max(widest, fm.horizontalAdvance(text));
  }
  return widest;
}

}  // namespace

MainView::MainView(App& app, Mirror& mirror, QMenu* icon_menu) : QMainWindow(nullptr), app_(app) {
  MainWindow& f = app.Form2();
  setWindowIcon(ProgramIcon());
  resize(800, 640);

  // Top: monitoring buttons, status panel, clock, update time, counters.
  auto* bar = new QToolBar(this);
  bar->setMovable(false);
  bar->setFloatable(false);
  bar->setContextMenuPolicy(Qt::PreventContextMenu);
  addToolBar(Qt::TopToolBarArea, bar);
  start = Named(ToolButton(bar, ToolPicture::Start, false), "ToolButton1");
  stop = Named(ToolButton(bar, ToolPicture::Stop, false), "ToolButton2");
  bar->addSeparator();
  settings = Named(ToolButton(bar, ToolPicture::Settings, false), "ToolButton7");
  bar->addSeparator();
  mirror.Bind(start, f.monitoring.ToolButton1);
  mirror.Bind(stop, f.monitoring.ToolButton2);
  mirror.Bind(settings, f.monitoring.ToolButton7);
  OnClicked(start, mirror, [&f] { f.monitoring.ToolButton1Click(); });
  OnClicked(stop, mirror, [&f] { f.monitoring.ToolButton2Click(); });
  OnClicked(settings, mirror, [&f] { f.ToolButton7Click(); });

  panel20 = Named(new QLabel(bar), "Panel20");
  panel20->setAlignment(Qt::AlignCenter);
  panel20->setFixedSize(78, 28);
  label5 = Named(new QLabel(panel20), "Label5");
  label5->setGeometry(4, 5, 18, 20);
  label5->setStyleSheet(QStringLiteral("color: lime; background: transparent;"));
  bar->addWidget(panel20);
  mirror.Watch(f.monitoring.Panel20, [this, &f] {
    ApplyControl(panel20, f.monitoring.Panel20);
    panel20->setText(FromSjis(f.monitoring.Panel20.Caption()));
    panel20->setStyleSheet(QStringLiteral("QLabel { color: %1; background: #101820; font-weight: bold; "
                                          "border: 1px solid #405060; }")
                               .arg(ColorName(f.monitoring.Panel20.FontColor())));
  });
  mirror.Bind(label5, f.monitoring.Label5);
  label5->setStyleSheet(QStringLiteral("color: lime; background: transparent; border: none;"));

  // The clock and the update time show their date above their time, so that
  // the header keeps room for counts of a full table at the window's 800
  // pixels.
  for (QLabel** panel : {&time_panel, &ref_time_panel}) {
    *panel = Named(new QLabel(bar), panel == &time_panel ? "TimePanel" : "RefTimePanel");
    QLabel* l = *panel;
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    l->setAlignment(Qt::AlignCenter);
    l->setWordWrap(true);
    l->setFixedWidth(std::max(DigitsWidth(l->fontMetrics(), "0000/00/00"), DigitsWidth(l->fontMetrics(), "00:00:00")) +
                     2 * l->frameWidth() + 2 * kPanelPadding);
    bar->addWidget(l);
  }
  mirror.Bind(time_panel, f.TimePanel);
  mirror.Bind(ref_time_panel, f.receive.RefTimePanel);
  bar->addSeparator();

  const char* counter_labels[6] = {"OK", "！", "NG", "？", "ON", "OFF"};
  const char* counter_names[6] = {"Panel12", "Panel13", "Panel14", "Panel15", "Panel17", "Panel19"};
  Panel* counter_panels[6] = {&f.icons.Panel12, &f.icons.Panel13, &f.icons.Panel14, &f.icons.Panel15, &f.icons.Panel17, &f.icons.Panel19};
  for (int i = 0; i < 6; ++i) {
    auto* caption = new QLabel(S(counter_labels[i]), bar);
    caption->setContentsMargins(4, 0, 2, 0);
    bar->addWidget(caption);
    counters[static_cast<size_t>(i)] = Named(new QLabel(bar), counter_names[i]);
    QLabel* c = counters[static_cast<size_t>(i)];
    caption->setBuddy(c);  // the count is read, its caption is its label
    c->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    c->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    c->setIndent(kPanelPadding);
    // A fixed width that holds the largest count, 999 devices x 8 outlets,
    // so that the header does not move as the counts change.
    c->setFixedWidth(DigitsWidth(c->fontMetrics(), "0000") + 2 * c->frameWidth() + 2 * kPanelPadding);
    bar->addWidget(c);
    mirror.Bind(c, *counter_panels[i]);
  }

  // Left: device tree and group tabs.
  split = new QSplitter(Qt::Horizontal, this);
  left_tabs = Named(new QTabWidget(split), "PageControl1");
  device_tree = new DeviceTreeView(app, mirror, left_tabs);
  left_tabs->addTab(device_tree, S("機器一覧"));
  group_tab = new GroupTabView(f.group_tab, mirror, left_tabs);
  left_tabs->addTab(group_tab, S("グループ"));
  mirror.Watch(f.PageControl1, [this, &f] { left_tabs->setCurrentIndex(f.PageControl1.ActivePageIndex()); });
  // Only the operator's switch runs the change handler; the mirror's own
  // finds the index already set. A switch the core refuses (its window
  // disabled) goes back to the page the core shows.
  connect(left_tabs, &QTabWidget::currentChanged, this, [this, &f, &mirror](int i) {
    if (i == f.PageControl1.ActivePageIndex()) return;
    if (!mirror.Usable(left_tabs)) {
      left_tabs->setCurrentIndex(f.PageControl1.ActivePageIndex());
      return;
    }
    f.PageControl1.SetActivePageIndex(i);
    f.PageControl1Change();
  });

  // Right: filter bar with the temperature panel, icon view and logs.
  auto* panel5 = new QWidget(split);
  auto* right = new QVBoxLayout(panel5);
  right->setContentsMargins(0, 0, 0, 0);
  auto* filter_row = new QHBoxLayout;
  auto* bar2 = new QToolBar(panel5);
  const ToolPicture pics[8] = {ToolPicture::All, ToolPicture::Power, ToolPicture::Ping, ToolPicture::Temp,
                               ToolPicture::Ok, ToolPicture::Caution, ToolPicture::Ng, ToolPicture::Unknown};
  for (int i = 1; i <= 7; ++i) {
    const char* names[8] = {"", "ToolButtonChk1", "ToolButtonChk2", "ToolButtonChk3", "ToolButtonChk4",
                            "ToolButtonChk5", "ToolButtonChk6", "ToolButtonChk7"};
    filters[static_cast<size_t>(i)] = Named(ToolButton(bar2, pics[i], true), names[i]);
    QToolButton* b = filters[static_cast<size_t>(i)];
    Button& core = f.icons.ToolButtonChk[static_cast<size_t>(i)];
    mirror.Bind(b, core);
    connect(b, &QToolButton::clicked, this, [&f, &core, &mirror, b, i] {
      if (!mirror.Usable(b)) return;
      core.SetDown(b->isChecked());  // the click has toggled the button
      switch (i) {
        case 1: f.icons.ToolButtonChk1Click(); break;
        case 2: f.icons.ToolButtonChk2Click(); break;
        case 3: f.icons.ToolButtonChk3Click(); break;
        case 4: f.icons.ToolButtonChk4Click(); break;
        case 5: f.icons.ToolButtonChk5Click(); break;
        case 6: f.icons.ToolButtonChk6Click(); break;
        default: f.icons.ToolButtonChk7Click(); break;
      }
    });
  }
  bar2->addSeparator();
  all = Named(ToolButton(bar2, ToolPicture::All, false), "ToolButton3");
  all->setText(QStringLiteral("ALL"));
  all->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  mirror.Bind(all, f.icons.ToolButton3);
  OnClicked(all, mirror, [&f] { f.icons.ToolButton3Click(); });
  filter_row->addWidget(bar2, 1);
  temp_panel = Named(new QWidget(panel5), "Panel21");
  auto* temp_row = new QHBoxLayout(temp_panel);
  temp_row->setContentsMargins(4, 0, 4, 0);
  auto* temp = Named(new QLabel(temp_panel), "TempLabel");
  temp->setMinimumWidth(48);
  temp->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  temp_row->addWidget(temp);
  temp_row->addWidget(new QLabel(S("℃"), temp_panel));
  // The chart button shows only a picture: it is read as the title of the
  // window it opens.
  auto* chart = Named(new QToolButton(temp_panel), "BitBtn1", S("温度センサー"));
  chart->setIcon(ToolIcon(ToolPicture::Chart));
  temp_row->addWidget(chart);
  OnClicked(chart, mirror, [&f] { f.icons.BitBtn1Click(); });
  mirror.Watch(f.receive.Panel21, [this, &f] { ApplyControl(temp_panel, f.receive.Panel21); });
  mirror.Tie(temp_panel, f.receive.Panel21);
  mirror.Bind(temp, f.receive.TempLabel);
  filter_row->addWidget(temp_panel);
  right->addLayout(filter_row);

  right_tabs = Named(new QTabWidget(panel5), "PageControl2");
  auto* icon_split = new QSplitter(Qt::Vertical, right_tabs);
  icons = Named(new IconListView(icon_split), "ListView1", S("アイコン表示"));
  icons->setViewMode(QListView::IconMode);
  icons->setMovement(QListView::Static);
  icons->setResizeMode(QListView::Adjust);
  icons->setUniformItemSizes(true);
  icons->setWordWrap(true);
  icons->setGridSize(QSize(96, 70));
  icons->setIconSize(QSize(32, 32));
  icons->setEditTriggers(QAbstractItemView::NoEditTriggers);
  icons->setSelectionMode(QAbstractItemView::SingleSelection);
  icons->setLayoutMode(QListView::Batched);
  icons->setBatchSize(500);
  mirror.Bind(icons, f.icons.ListView1);
  // The icons are named by their keys: the icon pointed at is the one
  // selected and double-clicked, wherever the rebuilds moved it since.
  auto* icon_model = static_cast<IconListModel*>(icons->model());
  connect(icons->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this, &f, &mirror, icon_model](const QModelIndex& cur, const QModelIndex&) {
            if (icon_model->Applying() || !mirror.Usable(icons)) return;
            f.icons.SelectIcon(icon_model->KeyAt(cur.isValid() ? cur.row() : -1));
          });
  icons->OnPress = [this, &f, &mirror](const std::string& key) {
    if (mirror.Usable(icons)) f.icons.SelectIcon(key);
  };
  icons->OnDoubleClick = [this, &f, &mirror](const std::string& key) {
    if (!mirror.Usable(icons)) return;
    f.icons.SelectIcon(key);
    f.icons.ListView1DblClick();
    mirror.Poll();
  };
  icons->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(icons, &QListView::customContextMenuRequested, this,
          [this, icon_menu](const QPoint& at) { icon_menu->popup(icons->viewport()->mapToGlobal(at)); });
  recv_list = Named(new LineList(icon_split), "ListBox1", S("受信リスト"));
  mirror.Bind(recv_list, f.receive.ListBox1);
  icon_split->setStretchFactor(0, 4);
  icon_split->setStretchFactor(1, 1);
  right_tabs->addTab(icon_split, S("アイコン表示"));
  syslog_list = Named(new LineList(right_tabs), "ListBox2", S("システムログ"));
  mirror.Bind(syslog_list, f.system_log.ListBox2);
  right_tabs->addTab(syslog_list, S("システムログ"));
  right->addWidget(right_tabs, 1);
  mirror.Watch(f.PageControl2, [this, &f] { right_tabs->setCurrentIndex(f.PageControl2.ActivePageIndex()); });
  connect(right_tabs, &QTabWidget::currentChanged, this, [&f](int i) { f.PageControl2.SetActivePageIndex(i); });
  // PageControl1 stands at the left edge and keeps its width; Panel5 fills
  // the rest, also when the window is resized (the widths: showEvent).
  split->setStretchFactor(0, 0);
  split->setStretchFactor(1, 1);
  split->setChildrenCollapsible(false);
  setCentralWidget(split);

  // Bottom: the five status panels.
  statusBar()->setObjectName(QStringLiteral("StatusBar1"));
  const int widths[5] = {100, 120, 120, 120, 50};
  for (int i = 0; i < 5; ++i) {
    status[static_cast<size_t>(i)] = new QLabel(this);
    QLabel* l = status[static_cast<size_t>(i)];
    l->setFixedWidth(widths[i]);
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    if (i == 0) l->setAlignment(Qt::AlignCenter);
    statusBar()->addWidget(l);
  }
  mirror.Watch(f.icons.StatusBar1, [this, &f] {
    for (size_t i = 0; i < 5 && i < f.icons.StatusBar1.Count(); ++i) status[i]->setText(FromSjis(f.icons.StatusBar1.Panel(i)));
  });

  CentreOnScreen(this);
  // Once the run ends, a close request of the platform is not the operator's.
  new FormView(mirror, this, f, [&f, &app] {
    if (!app.Terminated()) f.FormClose();
  });
}

void MainView::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (panes_laid_out_) return;
  panes_laid_out_ = true;
  // The left pane as wide as the detail grid's columns with the grid's frame
  // and scroll bar, measured once the panes have their sizes.
  QTableView* grid = device_tree->grid;
  const int grid_width = grid->verticalHeader()->width() + grid->horizontalHeader()->length() +
                         2 * grid->frameWidth() + grid->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, grid);
  const int left = grid_width + left_tabs->width() - grid->width();
  const int total = split->width() - split->handleWidth();
  split->setSizes({left, std::max(total - left, 0)});
}

}  // namespace zol
