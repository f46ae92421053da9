#include "qt/group_tab_view.h"

#include <QComboBox>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTableView>
#include <QTextCursor>
#include <QToolButton>
#include <QVBoxLayout>

#include "qt/mirror.h"
#include "qt/pictures.h"
#include "qt/sjis.h"
#include "qt/view_util.h"
#include "telnet/group_tab.h"

namespace zol {

namespace {

// The destination list lines line up in a font whose Latin and Japanese
// characters are one and two cells wide.
QFont ListFont() {
  QFont f(QStringLiteral("IPAGothic"));
  f.setStyleHint(QFont::Monospace);
  f.setFixedPitch(true);
  return f;
}

// A value panel (read by its text); caption, when given, is its label.
QLabel* PanelLabel(QWidget* parent, const char* name, QLabel* caption, int min_width) {
  auto* l = Named(new QLabel(parent), name);
  if (caption) caption->setBuddy(l);
  l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  l->setMinimumWidth(min_width);
  l->setAlignment(Qt::AlignCenter);
  return l;
}

}  // namespace

GroupTabView::GroupTabView(GroupTab& t, Mirror& mirror, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet5"));
  auto* top = new QVBoxLayout(this);
  top->setContentsMargins(4, 4, 4, 4);

  // The group chooser.
  auto* chooser = new QHBoxLayout;
  chooser->addWidget(new QLabel(S("制御対象グループ指定"), this));
  combo_ex2 = Named(new QComboBox(this), "ComboBoxEx2", S("制御対象グループ指定"));
  // A long group name does not widen the tab: the chooser takes the row.
  combo_ex2->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  combo_ex2->setMinimumContentsLength(8);
  chooser->addWidget(combo_ex2, 1);
  top->addLayout(chooser);
  mirror.Bind(combo_ex2, t.ComboBoxEx2);
  connect(combo_ex2, QOverload<int>::of(&QComboBox::activated), this, [&t, &mirror, this](int i) {
    if (!mirror.Usable(combo_ex2)) return;
    t.ComboBoxEx2.SetItemIndex(i);
    t.ComboBoxEx2.SetText(ToSjis(combo_ex2->itemText(i)));
    t.ComboBoxEx2Change();
  });

  // Command entries.
  panel25 = Named(new QWidget(this), "Panel25", S("コマンド"));
  auto* p25 = new QVBoxLayout(panel25);
  p25->setContentsMargins(0, 0, 0, 0);
  grid = Named(new QTableView(panel25), "StringGrid1", S("コマンド"));
  grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid->setWordWrap(false);
  grid->verticalHeader()->setDefaultSectionSize(20);
  mirror.Bind(grid, t.StringGrid1);
  grid->setColumnWidth(0, 32);
  grid->setColumnWidth(1, 130);
  grid->horizontalHeader()->setStretchLastSection(true);
  connect(grid, &QTableView::clicked, this, [&t, &mirror, this](const QModelIndex& i) {
    if (!mirror.Usable(grid)) return;
    t.StringGrid1.SetRow(i.row());
    t.StringGrid1Click();
  });
  connect(grid, &QTableView::doubleClicked, this, [&t, &mirror, this](const QModelIndex&) {
    if (mirror.Usable(grid)) t.StringGrid1DblClick();
  });
  p25->addWidget(grid, 1);
  auto* fields = new QGridLayout;
  fields->addWidget(new QLabel(S("名称"), panel25), 0, 0);
  edit1 = Named(new QLineEdit(panel25), "Edit1", S("名称"));
  mirror.Bind(edit1, t.Edit1);
  fields->addWidget(edit1, 0, 1, 1, 2);
  fields->addWidget(new QLabel(S("ファイル"), panel25), 1, 0);
  edit2 = Named(new QLineEdit(panel25), "Edit2", S("ファイル"));
  mirror.Bind(edit2, t.Edit2);
  fields->addWidget(edit2, 1, 1);
  browse = Named(new QToolButton(panel25), "BitBtn4", FromSjis(t.BitBtn4.Hint()));
  browse->setIcon(QIcon(TreePicture(0)));  // the folder of the tree's groups
  browse->setIconSize(QSize(16, 16));
  mirror.Bind(browse, t.BitBtn4);
  OnClicked(browse, mirror, [&t] { t.BitBtn4Click(); });
  fields->addWidget(browse, 1, 2);
  p25->addLayout(fields);
  auto* entry_buttons = new QHBoxLayout;
  register_btn = Named(new QPushButton(panel25), "BitBtn7", S("登録"));
  file_btn = Named(new QPushButton(panel25), "BitBtn3", S("ファイル指定"));
  edit_btn = Named(new QPushButton(panel25), "BitBtn8", S("編集"));
  mirror.Bind(register_btn, t.BitBtn7);
  mirror.Bind(file_btn, t.BitBtn3);
  mirror.Bind(edit_btn, t.BitBtn8);
  OnClicked(register_btn, mirror, [&t] { t.BitBtn7Click(); });
  OnClicked(file_btn, mirror, [&t] { t.BitBtn3Click(); });
  OnClicked(edit_btn, mirror, [&t] { t.BitBtn8Click(); });
  entry_buttons->addWidget(register_btn);
  entry_buttons->addStretch(1);
  entry_buttons->addWidget(file_btn);
  entry_buttons->addWidget(edit_btn);
  p25->addLayout(entry_buttons);
  mirror.Watch(t.Panel25, [this, &t] { ApplyControl(panel25, t.Panel25); });
  mirror.Tie(panel25, t.Panel25);
  top->addWidget(panel25, 1);

  // Send mode: destinations, last results, check actions, send.
  panel30 = Named(new QWidget(this), "Panel30", S("送信先"));
  auto* p30 = new QVBoxLayout(panel30);
  p30->setContentsMargins(0, 0, 0, 0);
  // The captions above the list's columns lie on a strip that asks for no
  // width of its own, so the tab stays as narrow as the left pane; they move
  // with the list when it is scrolled sideways.
  auto* strip = new QWidget(panel30);
  strip->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  auto* heads = new QLabel(strip);
  heads->setFont(ListFont());
  // Above the columns of the list lines: ID and name from 1, address from
  // 38, time from 55, result from 75.
  heads->setText(S("ID/機器名称") + QString(26, QLatin1Char(' ')) + S("IPアドレス") +
                 QString(7, QLatin1Char(' ')) + S("最終接続時間") + QString(8, QLatin1Char(' ')) + S("結果"));
  heads->adjustSize();
  constexpr int kPastCheckBoxes = 24;
  heads->move(kPastCheckBoxes, 0);
  strip->setFixedHeight(heads->height());
  p30->addWidget(strip);
  list = Named(new QListWidget(panel30), "CheckListBox1", S("送信先"));
  list->setFont(ListFont());
  list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  list->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  connect(list->horizontalScrollBar(), &QScrollBar::valueChanged, heads,
          [heads](int x) { heads->move(kPastCheckBoxes - x, 0); });
  p30->addWidget(list, 1);
  mirror.Watch(t.CheckListBox1, [this, &t] {
    const CheckListBox& c = t.CheckListBox1;
    ApplyControl(list, c);
    applying_ = true;
    const int n = static_cast<int>(c.Count());
    while (list->count() > n) delete list->takeItem(list->count() - 1);
    for (int i = 0; i < n; ++i) {
      const QString text = FromSjis(c[static_cast<size_t>(i)]);
      const Qt::CheckState state = c.Checked(static_cast<size_t>(i)) ? Qt::Checked : Qt::Unchecked;
      QListWidgetItem* item = i < list->count() ? list->item(i) : nullptr;
      if (!item) {
        item = new QListWidgetItem(text, list);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(state);  // also unchecked: the box is shown
        continue;
      }
      if (item->text() != text) item->setText(text);
      if (item->checkState() != state) item->setCheckState(state);
    }
    applying_ = false;
  });
  // The operator's check marks go back; the mirror's own do not echo.
  mirror.Tie(list, t.CheckListBox1);
  connect(list, &QListWidget::itemChanged, this, [this, &t, &mirror](QListWidgetItem* item) {
    if (applying_) return;
    if (!mirror.Usable(list)) {
      mirror.Reapply(t.CheckListBox1);  // the mark back as the core has it
      mirror.Poll();
      return;
    }
    const int i = list->row(item);
    if (i >= 0) t.CheckListBox1.SetChecked(static_cast<size_t>(i), item->checkState() == Qt::Checked);
    t.grp_st_check();
  });

  // The last results on a row of their own, the destinations and the check
  // actions below them: the boxes fit the left pane's width.
  auto* last = new QGroupBox(S("前回の状態記録"), panel30);
  auto* last_grid = new QGridLayout(last);
  const struct {
    const char* caption;
    const char* name;
    Panel* panel;
  } last_panels[] = {{"成功", "Panel35", &t.Panel35}, {"失敗", "Panel36", &t.Panel36}, {"未接続", "Panel37", &t.Panel37},
                     {"開始", "Panel38", &t.Panel38}, {"終了", "Panel39", &t.Panel39}};
  // The three counts on the first row, the start and end times below them.
  for (int i = 0; i < 5; ++i) {
    const auto& lp = last_panels[i];
    const int row = i < 3 ? 0 : i - 2, col = i < 3 ? i * 2 : 0;
    auto* caption = new QLabel(S(lp.caption), last);
    last_grid->addWidget(caption, row, col);
    QLabel* l = PanelLabel(last, lp.name, caption, i < 3 ? 36 : 130);
    mirror.Bind(l, *lp.panel);
    last_grid->addWidget(l, row, col + 1, 1, i < 3 ? 1 : 5);
  }
  p30->addWidget(last);
  auto* boxes = new QHBoxLayout;
  auto* dest = new QGroupBox(S("送信先"), panel30);
  auto* dest_grid = new QGridLayout(dest);
  auto* total = new QLabel(S("総数"), dest);
  dest_grid->addWidget(total, 0, 0);
  QLabel* p34 = PanelLabel(dest, "Panel34", total, 36);
  mirror.Bind(p34, t.Panel34);
  dest_grid->addWidget(p34, 0, 1);
  auto* sent = new QLabel(S("送信"), dest);
  dest_grid->addWidget(sent, 1, 0);
  QLabel* p40 = PanelLabel(dest, "Panel40", sent, 36);
  mirror.Bind(p40, t.Panel40);
  dest_grid->addWidget(p40, 1, 1);
  boxes->addWidget(dest);
  auto* checks = new QGroupBox(S("チェック項目"), panel30);
  auto* checks_row = new QVBoxLayout(checks);
  combo1 = Named(new QComboBox(checks), "ComboBox1", S("チェック項目"));
  mirror.Bind(combo1, t.ComboBox1);
  connect(combo1, QOverload<int>::of(&QComboBox::activated), this, [&t, &mirror, this](int i) {
    if (!mirror.Usable(combo1)) return;
    t.ComboBox1.SetItemIndex(i);
    t.ComboBox1.SetText(ToSjis(combo1->itemText(i)));
  });
  checks_row->addWidget(combo1);
  change_btn = Named(new QPushButton(checks), "BitBtn6", S("変更"));
  mirror.Bind(change_btn, t.BitBtn6);
  OnClicked(change_btn, mirror, [&t] { t.BitBtn6Click(); });
  checks_row->addWidget(change_btn);
  boxes->addWidget(checks);
  p30->addLayout(boxes);

  auto* send_row = new QHBoxLayout;
  panel23 = PanelLabel(panel30, "Panel23", nullptr, 60);  // the command's name
  panel27 = PanelLabel(panel30, "Panel27", nullptr, 64);  // the send's state
  mirror.Bind(panel23, t.Panel23);
  mirror.Bind(panel27, t.Panel27);
  send_btn = Named(new QPushButton(panel30), "BitBtn5", S("送信開始"));
  cancel_btn = Named(new QPushButton(panel30), "BitBtn2", S("キャンセル"));
  mirror.Bind(send_btn, t.BitBtn5);
  mirror.Bind(cancel_btn, t.BitBtn2);
  OnClicked(send_btn, mirror, [&t] { t.BitBtn5Click(); });
  OnClicked(cancel_btn, mirror, [&t] { t.BitBtn2Click(); });
  send_row->addWidget(panel23, 1);
  send_row->addWidget(panel27);
  send_row->addWidget(send_btn);
  send_row->addWidget(cancel_btn);
  p30->addLayout(send_row);
  mirror.Watch(t.Panel30, [this, &t] { ApplyControl(panel30, t.Panel30); });
  mirror.Tie(panel30, t.Panel30);
  top->addWidget(panel30, 2);

  // The send log with its counters.
  log_box = new QWidget(this);
  auto* lb = new QVBoxLayout(log_box);
  lb->setContentsMargins(0, 0, 0, 0);
  log = Named(new QPlainTextEdit(log_box), "Memo2", S("送信ログ"));
  log->setReadOnly(true);
  log->setLineWrapMode(QPlainTextEdit::NoWrap);
  log->setFont(ListFont());
  mirror.Bind(log, t.Memo2);
  mirror.Watch(t.Memo2, [this, &t] {
    log_box->setVisible(t.Memo2.Visible());
    log->moveCursor(QTextCursor::End);  // the newest line in view
  });
  lb->addWidget(log, 1);
  auto* counts = new QHBoxLayout;
  const struct {
    const char* caption;
    const char* name;
    Panel* panel;
  } run_panels[] = {{"総数", "Panel28", &t.Panel28}, {"成功", "Panel24", &t.Panel24}, {"失敗", "Panel29", &t.Panel29}};
  for (const auto& rp : run_panels) {
    auto* caption = new QLabel(S(rp.caption), log_box);
    counts->addWidget(caption);
    QLabel* l = PanelLabel(log_box, rp.name, caption, 40);
    mirror.Bind(l, *rp.panel);
    counts->addWidget(l);
  }
  counts->addStretch(1);
  lb->addLayout(counts);
  top->addWidget(log_box, 1);
}

}  // namespace zol
