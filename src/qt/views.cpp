#include "qt/views.h"

#include <QApplication>
#include <QCursor>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "console/app.h"
#include "console/main_window.h"
#include "console/splash_window.h"
#include "console/terms_dialog.h"
#include "monitor/debug_window.h"
#include "qt/chart_view.h"
#include "qt/detail_view.h"
#include "qt/form_view.h"
#include "qt/mirror.h"
#include "qt/pictures.h"
#include "qt/sjis.h"

namespace zol {

namespace {

QString S(const char* sjis) { return FromSjis(sjis); }

QToolButton* ToolButton(QToolBar* bar, ToolPicture pic, bool checkable) {
  auto* b = new QToolButton(bar);
  b->setIcon(ToolIcon(pic));
  b->setIconSize(QSize(24, 24));
  b->setCheckable(checkable);
  b->setAutoRaise(true);
  bar->addWidget(b);
  return b;
}

}  // namespace

// ---------------------------------------------------------------- splash

SplashView::SplashView(App& app, Mirror& mirror) : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint) {
  SplashWindow& f = app.Form1();
  auto* picture = new QLabel(this);
  picture->setPixmap(SplashPicture(QStringLiteral("4.00")));
  picture->setGeometry(0, 0, 320, 80);
  setFixedSize(320, 80);
  setWindowIcon(ProgramIcon());
  CentreOnScreen(this);
  new FormView(mirror, this, f, [&f] { f.Close(); });
}

// ---------------------------------------------------------------- terms

TermsView::TermsView(App& app, Mirror& mirror) : QWidget(nullptr, Qt::Dialog) {
  TermsDialog& f = app.Form10();
  setFixedSize(500, 401);
  text = new QPlainTextEdit(this);
  text->setReadOnly(true);
  text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  text->setGeometry(0, 0, 497, 350);
  agree = new QPushButton(this);
  disagree = new QPushButton(this);
  QFont bold = agree->font();
  bold.setBold(true);
  agree->setFont(bold);
  disagree->setFont(bold);
  agree->setGeometry(120, 360, 120, 32);
  disagree->setGeometry(260, 360, 120, 32);
  mirror.Bind(text, f.RichEdit1);
  mirror.Bind(agree, f.BitBtn1);
  mirror.Bind(disagree, f.BitBtn2);
  connect(agree, &QPushButton::clicked, this, [&f] { f.BitBtn1Click(); });
  connect(disagree, &QPushButton::clicked, this, [&f] { f.BitBtn2Click(); });
  setWindowIcon(ProgramIcon());
  CentreOnScreen(this);
  new FormView(mirror, this, f, [&f] { f.Close(); });
}

// ---------------------------------------------------------------- tray

TrayView::TrayView(App& app, Mirror& mirror) : app_(app), menu_(new QMenu), icon_(new QSystemTrayIcon(this)) {
  SplashWindow& f = app.Form1();
  QAction* restore = menu_->addAction(S(f.test1.Caption().c_str()));
  menu_->addSeparator();
  QAction* quit = menu_->addAction(S(f.Exit1.Caption().c_str()));
  connect(restore, &QAction::triggered, this, [&f] { f.test1Click(); });
  connect(quit, &QAction::triggered, this, [&f] { f.Exit1Click(); });
  icon_->setIcon(ProgramIcon());
  // No context menu of Qt's own: a left or right press goes to the core,
  // which pops the menu up.
  connect(icon_, &QSystemTrayIcon::activated, this, [&f](QSystemTrayIcon::ActivationReason r) {
    if (r == QSystemTrayIcon::Trigger) f.TrayIconMessage(kWmLButtonDown);
    else if (r == QSystemTrayIcon::Context) f.TrayIconMessage(kWmRButtonDown);
  });
  auto popups = std::make_shared<uint64_t>(f.PopupMenu1.PopupCount());
  mirror.Watch(f.PopupMenu1, [this, &f, popups] {
    if (f.PopupMenu1.PopupCount() == *popups) return;
    *popups = f.PopupMenu1.PopupCount();
    menu_->popup(QCursor::pos());
  });
  mirror.Watch(f.TrayIconData, [this, &f] {
    // Without a notification area the program runs without the icon.
    const bool want = f.TrayIconData.Visible() && QSystemTrayIcon::isSystemTrayAvailable();
    if (want) icon_->show();
    else icon_->hide();
  });
}

TrayView::~TrayView() {
  icon_->hide();
  delete menu_;
}

// ---------------------------------------------------------------- main

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
  start = ToolButton(bar, ToolPicture::Start, false);
  stop = ToolButton(bar, ToolPicture::Stop, false);
  bar->addSeparator();
  settings = ToolButton(bar, ToolPicture::Settings, false);
  bar->addSeparator();
  mirror.Bind(start, f.ToolButton1);
  mirror.Bind(stop, f.ToolButton2);
  mirror.Bind(settings, f.ToolButton7);
  connect(start, &QToolButton::clicked, this, [&f] { f.ToolButton1Click(); });
  connect(stop, &QToolButton::clicked, this, [&f] { f.ToolButton2Click(); });
  connect(settings, &QToolButton::clicked, this, [&f] { f.ToolButton7Click(); });

  panel20 = new QLabel(bar);
  panel20->setAlignment(Qt::AlignCenter);
  panel20->setFixedSize(78, 28);
  label5 = new QLabel(panel20);
  label5->setGeometry(4, 5, 18, 20);
  label5->setStyleSheet(QStringLiteral("color: lime; background: transparent;"));
  bar->addWidget(panel20);
  mirror.Watch(f.Panel20, [this, &f] {
    ApplyControl(panel20, f.Panel20);
    panel20->setText(FromSjis(f.Panel20.Caption()));
    panel20->setStyleSheet(QStringLiteral("QLabel { color: %1; background: #101820; font-weight: bold; "
                                          "border: 1px solid #405060; }")
                               .arg(ColorName(f.Panel20.FontColor())));
  });
  mirror.Bind(label5, f.Label5);
  label5->setStyleSheet(QStringLiteral("color: lime; background: transparent; border: none;"));

  time_panel = new QLabel(bar);
  time_panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  time_panel->setMinimumWidth(128);
  time_panel->setAlignment(Qt::AlignCenter);
  bar->addWidget(time_panel);
  mirror.Bind(time_panel, f.TimePanel);
  ref_time_panel = new QLabel(bar);
  ref_time_panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  ref_time_panel->setMinimumWidth(64);
  ref_time_panel->setAlignment(Qt::AlignCenter);
  bar->addWidget(ref_time_panel);
  mirror.Bind(ref_time_panel, f.RefTimePanel);
  bar->addSeparator();

  const char* counter_labels[6] = {"OK", "！", "NG", "？", "ON", "OFF"};
  Panel* counter_panels[6] = {&f.Panel12, &f.Panel13, &f.Panel14, &f.Panel15, &f.Panel17, &f.Panel19};
  for (int i = 0; i < 6; ++i) {
    auto* caption = new QLabel(S(counter_labels[i]), bar);
    caption->setContentsMargins(4, 0, 2, 0);
    bar->addWidget(caption);
    counters[static_cast<size_t>(i)] = new QLabel(bar);
    QLabel* c = counters[static_cast<size_t>(i)];
    c->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    c->setMinimumWidth(30);
    c->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    bar->addWidget(c);
    mirror.Bind(c, *counter_panels[i]);
  }

  // Left: device list and group tabs (their content comes with the tree
  // and group sending).
  auto* split = new QSplitter(Qt::Horizontal, this);
  left_tabs = new QTabWidget(split);
  left_tabs->addTab(new QWidget(left_tabs), S("機器一覧"));
  left_tabs->addTab(new QWidget(left_tabs), S("グループ"));
  mirror.Watch(f.PageControl1, [this, &f] { left_tabs->setCurrentIndex(f.PageControl1.ActivePageIndex()); });
  connect(left_tabs, &QTabWidget::currentChanged, this, [&f](int i) { f.PageControl1.SetActivePageIndex(i); });

  // Right: filter bar with the temperature panel, icon view and logs.
  auto* panel5 = new QWidget(split);
  auto* right = new QVBoxLayout(panel5);
  right->setContentsMargins(0, 0, 0, 0);
  auto* filter_row = new QHBoxLayout;
  auto* bar2 = new QToolBar(panel5);
  const ToolPicture pics[8] = {ToolPicture::All, ToolPicture::Power, ToolPicture::Ping, ToolPicture::Temp,
                               ToolPicture::Ok, ToolPicture::Caution, ToolPicture::Ng, ToolPicture::Unknown};
  for (int i = 1; i <= 7; ++i) {
    filters[static_cast<size_t>(i)] = ToolButton(bar2, pics[i], true);
    QToolButton* b = filters[static_cast<size_t>(i)];
    Button& core = f.ToolButtonChk[static_cast<size_t>(i)];
    mirror.Bind(b, core);
    connect(b, &QToolButton::clicked, this, [&f, &core, b, i] {
      core.SetDown(b->isChecked());  // the click has toggled the button
      switch (i) {
        case 1: f.ToolButtonChk1Click(); break;
        case 2: f.ToolButtonChk2Click(); break;
        case 3: f.ToolButtonChk3Click(); break;
        case 4: f.ToolButtonChk4Click(); break;
        case 5: f.ToolButtonChk5Click(); break;
        case 6: f.ToolButtonChk6Click(); break;
        default: f.ToolButtonChk7Click(); break;
      }
    });
  }
  bar2->addSeparator();
  all = ToolButton(bar2, ToolPicture::All, false);
  all->setText(QStringLiteral("ALL"));
  all->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  mirror.Bind(all, f.ToolButton3);
  connect(all, &QToolButton::clicked, this, [&f] { f.ToolButton3Click(); });
  filter_row->addWidget(bar2, 1);
  temp_panel = new QWidget(panel5);
  auto* temp_row = new QHBoxLayout(temp_panel);
  temp_row->setContentsMargins(4, 0, 4, 0);
  auto* temp = new QLabel(temp_panel);
  temp->setMinimumWidth(48);
  temp->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  temp_row->addWidget(temp);
  temp_row->addWidget(new QLabel(S("℃"), temp_panel));
  auto* chart = new QToolButton(temp_panel);
  chart->setIcon(ToolIcon(ToolPicture::Chart));
  temp_row->addWidget(chart);
  connect(chart, &QToolButton::clicked, this, [&f] { f.BitBtn1Click(); });
  mirror.Watch(f.Panel21, [this, &f] { ApplyControl(temp_panel, f.Panel21); });
  mirror.Bind(temp, f.TempLabel);
  filter_row->addWidget(temp_panel);
  right->addLayout(filter_row);

  right_tabs = new QTabWidget(panel5);
  auto* icon_split = new QSplitter(Qt::Vertical, right_tabs);
  icons = new QListView(icon_split);
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
  mirror.Bind(icons, f.ListView1);
  connect(icons->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [&f](const QModelIndex& cur, const QModelIndex&) {
            const int row = cur.isValid() ? cur.row() : -1;
            if (row == f.ListView1.Selected()) return;
            f.ListView1.SetSelected(row);
            if (row >= 0) f.ListView1SelectItem();
          });
  connect(icons, &QListView::doubleClicked, this, [&f](const QModelIndex&) { f.ListView1DblClick(); });
  icons->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(icons, &QListView::customContextMenuRequested, this,
          [this, icon_menu](const QPoint& at) { icon_menu->popup(icons->viewport()->mapToGlobal(at)); });
  recv_list = new QListWidget(icon_split);
  mirror.Bind(recv_list, f.ListBox1);
  icon_split->setStretchFactor(0, 4);
  icon_split->setStretchFactor(1, 1);
  right_tabs->addTab(icon_split, S("アイコン表示"));
  syslog_list = new QListWidget(right_tabs);
  mirror.Bind(syslog_list, f.ListBox2);
  right_tabs->addTab(syslog_list, S("システムログ"));
  right->addWidget(right_tabs, 1);
  mirror.Watch(f.PageControl2, [this, &f] { right_tabs->setCurrentIndex(f.PageControl2.ActivePageIndex()); });
  connect(right_tabs, &QTabWidget::currentChanged, this, [&f](int i) { f.PageControl2.SetActivePageIndex(i); });
  split->setStretchFactor(0, 1);
  split->setStretchFactor(1, 3);
  split->setSizes({200, 600});
  setCentralWidget(split);

  // Bottom: the five status panels.
  const int widths[5] = {100, 120, 120, 120, 50};
  for (int i = 0; i < 5; ++i) {
    status[static_cast<size_t>(i)] = new QLabel(this);
    QLabel* l = status[static_cast<size_t>(i)];
    l->setFixedWidth(widths[i]);
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    if (i == 0) l->setAlignment(Qt::AlignCenter);
    statusBar()->addWidget(l);
  }
  mirror.Watch(f.StatusBar1, [this, &f] {
    for (size_t i = 0; i < 5 && i < f.StatusBar1.Count(); ++i) status[i]->setText(FromSjis(f.StatusBar1.Panel(i)));
  });

  CentreOnScreen(this);
  // Once the run ends, a close request of the platform is not the operator's.
  new FormView(mirror, this, f, [&f, &app] {
    if (!app.Terminated()) f.FormClose();
  });
}

// ---------------------------------------------------------------- debug

DebugView::DebugView(App& app, Mirror& mirror) : QWidget(nullptr, Qt::Window) {
  DebugWindow& f = app.Form4();
  setWindowIcon(ProgramIcon());
  resize(900, 640);
  const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  auto* top = new QVBoxLayout(this);
  auto* counts = new QHBoxLayout;
  auto* label1 = new QLabel(this);
  auto* label2 = new QLabel(this);
  counts->addWidget(label1);
  counts->addWidget(label2);
  counts->addStretch(1);
  top->addLayout(counts);
  mirror.Bind(label1, f.Label1);
  mirror.Bind(label2, f.Label2);

  auto* split = new QSplitter(Qt::Vertical, this);
  auto* grids = new QTabWidget(split);
  table = new QTableView(grids);
  unreg = new QTableView(grids);
  ring = new QTableView(grids);
  for (QTableView* t : {table, unreg, ring}) {
    t->horizontalHeader()->setDefaultSectionSize(96);
    t->verticalHeader()->setDefaultSectionSize(18);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setWordWrap(false);
  }
  table->verticalHeader()->setDefaultSectionSize(16);
  mirror.Bind(table, f.StringGrid1);
  mirror.Bind(unreg, f.StringGrid2);
  mirror.Bind(ring, f.StringGridBuff);
  grids->addTab(table, QStringLiteral("StringGrid1"));
  grids->addTab(unreg, QStringLiteral("StringGrid2"));
  grids->addTab(ring, QStringLiteral("StringGridBuff"));
  connect(table, &QTableView::doubleClicked, this, [&f](const QModelIndex&) { f.BitBtn1Click(); });

  auto* texts = new QTabWidget(split);
  auto add_memo = [&](Memo& m, const QString& title, bool mono) {
    auto* e = new QPlainTextEdit(texts);
    e->setReadOnly(true);
    e->setLineWrapMode(QPlainTextEdit::NoWrap);
    if (mono) e->setFont(fixed);
    mirror.Bind(e, m);
    texts->addTab(e, title);
  };
  add_memo(f.Memo1, QStringLiteral("Memo1"), true);
  add_memo(f.Memo2, QStringLiteral("Memo2"), true);
  add_memo(f.Memo3, QStringLiteral("Memo3"), false);
  add_memo(f.RichEdit1, QStringLiteral("RichEdit1"), false);
  add_memo(f.Memo4, QStringLiteral("Memo4"), true);
  top->addWidget(split, 1);

  auto* tools = new QHBoxLayout;
  dump = new QPushButton(S("吐き出し"), this);
  inject = new QPushButton(S("追加"), this);
  auto* edit1 = new QLineEdit(this);
  auto* edit2 = new QLineEdit(this);
  edit1->setFont(fixed);
  edit1->setMinimumWidth(240);
  tools->addWidget(dump);
  tools->addSpacing(20);
  tools->addWidget(edit1, 1);
  tools->addWidget(edit2);
  tools->addWidget(inject);
  top->addLayout(tools);
  mirror.Bind(edit1, f.Edit1);
  mirror.Bind(edit2, f.Edit2);
  connect(dump, &QPushButton::clicked, this, [&f] { f.BitBtn1Click(); });
  connect(inject, &QPushButton::clicked, this, [&f] { f.BitBtn2Click(); });
  // Closing only hides the window.
  new FormView(mirror, this, f, [&f] { f.Hide(); });
}

// ---------------------------------------------------------------- all

ConsoleUi::ConsoleUi(App& app) {
  mirror_ = new Mirror;
  tray_ = new TrayView(app, *mirror_);
  splash_ = new SplashView(app, *mirror_);
  main_ = new MainView(app, *mirror_, tray_->menu());
  debug_ = new DebugView(app, *mirror_);
  terms_ = new TermsView(app, *mirror_);
  detail_ = new DetailView(app, *mirror_);
  chart_ = new ChartView(app, *mirror_);
}

ConsoleUi::~ConsoleUi() {
  delete mirror_;
  delete chart_;
  delete detail_;
  delete terms_;
  delete debug_;
  delete main_;
  delete splash_;
  delete tray_;
}

}  // namespace zol
