#include "qt/device_editor_view.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedLayout>
#include <QTabWidget>
#include <QVBoxLayout>
#include <functional>
#include <string>
#include <tuple>

#include "common/text.h"
#include "console/app.h"
#include "qt/form_view.h"
#include "qt/mirror.h"
#include "qt/pictures.h"
#include "qt/sjis.h"
#include "qt/view_util.h"
#include "telnet/device_editor.h"

namespace zol {

ByteLimitValidator::ByteLimitValidator(const TextControl& control, QObject* parent)
    : QValidator(parent), control_(control) {}

QValidator::State ByteLimitValidator::validate(QString& input, int& pos) const {
  if (program_) return Acceptable;
  const std::string typed = ToSjis(input);
  std::string after = typed;
  size_t cursor = ToSjis(input.left(pos)).size();
  if (!FitTypedText(ToSjis(before_), &after, &cursor, control_.MaxBytes(), control_.RefusedChar())) return Invalid;
  if (after != typed) {
    input = FromSjis(after);
    pos = static_cast<int>(FromSjis(after.substr(0, cursor)).size());
  }
  return Acceptable;
}

namespace {

// A value panel, read by its text; caption, when it has one beside it, is
// its label.
QLabel* PanelLabel(QWidget* parent, Mirror& mirror, const Panel& panel, const std::string& name,
                   QLabel* caption = nullptr) {
  auto* l = new QLabel(parent);
  l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  l->setMinimumHeight(22);
  l->setTextInteractionFlags(Qt::TextSelectableByMouse);
  Named(l, name.c_str());
  if (caption) caption->setBuddy(l);
  mirror.Bind(l, panel);
  return l;
}

// A number panel of a list row: raised, centred.
QLabel* NumberPanel(QWidget* parent, Mirror& mirror, const Panel& panel, const std::string& name) {
  auto* l = new QLabel(parent);
  l->setFrameStyle(QFrame::Panel | QFrame::Raised);
  l->setAlignment(Qt::AlignCenter);
  l->setFixedSize(22, 22);
  Named(l, name.c_str(), FromSjis(panel.Caption()));
  mirror.Bind(l, panel);
  return l;
}

QLineEdit* EditBox(QWidget* parent, Mirror& mirror, Edit& c, const std::string& name, const QString& accessible) {
  auto* w = new QLineEdit(parent);
  Named(w, name.c_str(), accessible);
  auto* v = new ByteLimitValidator(c, w);
  w->setValidator(v);
  QObject::connect(w, &QLineEdit::textChanged, v, &ByteLimitValidator::Accepted);
  mirror.Tie(w, c);
  mirror.Watch(c, [w, v, &c] {
    ApplyControl(w, c);
    const QString t = FromSjis(c.Text());
    if (!c.Unheld() && w->text() != t) {  // typing Shift-JIS cannot hold stays as typed
      v->SetProgramText(true);
      SetProgramText(w, t);
      v->SetProgramText(false);
    }
  });
  mirror.OnOperatorText(w, [&c](const QString& t) { SetTyped(c, t); });
  return w;
}

// An editable combo box; on_change runs for the operator's choice or
// typing only, never for the program's own changes.
QComboBox* ComboEdit(QWidget* parent, Mirror& mirror, ComboBox& c, const std::string& name, const QString& accessible,
                     std::function<void()> on_change = nullptr) {
  auto* w = new QComboBox(parent);
  w->setEditable(true);
  w->setInsertPolicy(QComboBox::NoInsert);
  Named(w, name.c_str(), accessible);
  auto* v = new ByteLimitValidator(c, w);
  w->setValidator(v);
  QObject::connect(w->lineEdit(), &QLineEdit::textChanged, v, &ByteLimitValidator::Accepted);
  mirror.Tie(w, c);
  mirror.Watch(c, [w, v, &c] {
    ApplyControl(w, c);
    const ProgramText program(w->lineEdit());
    v->SetProgramText(true);
    QStringList items;
    for (const std::string& s : c.items.All()) items << FromSjis(s);
    QStringList shown;
    for (int i = 0; i < w->count(); ++i) shown << w->itemText(i);
    if (shown != items) {
      const QSignalBlocker block(w);
      w->clear();
      w->addItems(items);
    }
    const QString t = FromSjis(c.Text());
    if (!c.Unheld() && w->currentText() != t) {
      const QSignalBlocker block(w);
      w->setCurrentIndex(w->findText(t));
      w->setEditText(t);
    }
    v->SetProgramText(false);
  });
  QObject::connect(w, &QComboBox::textActivated, w, [w, &c, &mirror, on_change](const QString& t) {
    if (!mirror.Usable(w)) return;
    c.SetText(ToSjis(t));
    c.SetItemIndex(w->currentIndex());
    if (on_change) on_change();
  });
  mirror.OnOperatorText(w->lineEdit(), [w, &c, on_change](const QString& t) {
    SetTyped(c, t);
    c.SetItemIndex(w->findText(t));
    if (on_change) on_change();
  });
  return w;
}

QCheckBox* Check(QWidget* parent, Mirror& mirror, CheckBox& c, const std::string& name) {
  auto* w = new QCheckBox(FromSjis(c.Caption()), parent);
  Named(w, name.c_str(), FromSjis(c.Caption()));
  mirror.Tie(w, c);
  mirror.Watch(c, [w, &c] {
    ApplyControl(w, c);
    if (w->isChecked() != c.Checked()) w->setChecked(c.Checked());
  });
  QObject::connect(w, &QCheckBox::clicked, w, [w, &c, &mirror](bool on) {
    if (mirror.Usable(w)) c.SetChecked(on);
  });
  return w;
}

// A pair of radio buttons, exactly one of them on.
void RadioPair(QWidget* parent, Mirror& mirror, RadioButton& a, const char* name_a, RadioButton& b,
               const char* name_b, QHBoxLayout* row, const QString& label) {
  auto* group = new QButtonGroup(parent);
  for (auto [c, name, other] : {std::make_tuple(&a, name_a, &b), std::make_tuple(&b, name_b, &a)}) {
    auto* w = new QRadioButton(FromSjis(c->Caption()), parent);
    Named(w, name, label + QLatin1Char(' ') + FromSjis(c->Caption()));
    group->addButton(w);
    row->addWidget(w);
    RadioButton* mine = c;
    mirror.Tie(w, *mine);
    mirror.Watch(*mine, [w, mine] {
      ApplyControl(w, *mine);
      if (mine->Checked() && !w->isChecked()) w->setChecked(true);
    });
    QObject::connect(w, &QRadioButton::clicked, w, [w, mine, other, &mirror] {
      if (!mirror.Usable(w)) {
        mirror.Reapply(*other);  // the pair's other button keeps its mark
        mirror.Poll();
        return;
      }
      mine->SetChecked(true);
      other->SetChecked(false);
    });
  }
}

QPushButton* Push(QWidget* parent, Mirror& mirror, Button& c, const char* name, std::function<void()> click) {
  auto* w = new QPushButton(FromSjis(c.Caption()), parent);
  Named(w, name, FromSjis(c.Caption()));
  mirror.Bind(w, c);
  OnClicked(w, mirror, std::move(click));
  return w;
}

// "Panel" and 23: "Panel23".
std::string Nm(const char* prefix, int i) { return prefix + std::to_string(i); }

}  // namespace

DeviceEditorView::DeviceEditorView(App& app, Mirror& mirror) : QWidget(nullptr, Qt::Dialog) {
  DeviceEditor& f = app.Form5();
  setObjectName(QStringLiteral("Form5"));
  setWindowIcon(ProgramIcon());
  setFixedSize(f.ClientWidth > 0 ? f.ClientWidth : 500, f.ClientHeight > 0 ? f.ClientHeight : 480);

  auto* top = new QVBoxLayout(this);
  top->setContentsMargins(6, 6, 6, 6);
  top->setSpacing(4);

  // Above the tabs: the group, the MAC address, the two buttons.
  auto* head = new QHBoxLayout;
  auto* group_box = new QGroupBox(S("登録するグループ"), this);
  auto* stack = new QStackedLayout;
  stack->setStackingMode(QStackedLayout::StackAll);
  group = ComboEdit(group_box, mirror, f.ComboBoxEx1, "ComboBoxEx1", S("登録するグループ"));
  QLabel* panel44 = PanelLabel(group_box, mirror, f.Panel44, "Panel44");
  stack->addWidget(group);
  stack->addWidget(panel44);
  group->raise();
  auto* group_layout = new QVBoxLayout(group_box);
  group_layout->addLayout(stack);
  head->addWidget(group_box, 3);
  auto* mac_box = new QGroupBox(S("MACアドレス"), this);
  auto* mac_layout = new QVBoxLayout(mac_box);
  mac_layout->addWidget(PanelLabel(mac_box, mirror, f.Panel18, "Panel18"));
  head->addWidget(mac_box, 3);
  auto* buttons = new QVBoxLayout;
  store = Push(this, mirror, f.BitBtn1, "BitBtn1", [&f] { f.BitBtn1Click(); });
  cancel = Push(this, mirror, f.BitBtn2, "BitBtn2", [&f] { f.BitBtn2Click(); });
  buttons->addWidget(store);
  buttons->addWidget(cancel);
  head->addLayout(buttons, 2);
  top->addLayout(head);

  tabs = new QTabWidget(this);
  tabs->setObjectName(QStringLiteral("PageControl1"));
  top->addWidget(tabs, 1);

  // 1 "名称登録"
  auto* t1 = new QWidget(tabs);
  t1->setObjectName(QStringLiteral("TabSheet1"));
  auto* t1_layout = new QHBoxLayout(t1);
  auto* left = new QVBoxLayout;
  auto* name_box = new QGroupBox(S("機器名称"), t1);
  (new QVBoxLayout(name_box))->addWidget(name = EditBox(name_box, mirror, f.Edit9, "Edit9", S("機器名称")));
  left->addWidget(name_box);
  auto* memo_box = new QGroupBox(S("メモ"), t1);
  (new QVBoxLayout(memo_box))->addWidget(EditBox(memo_box, mirror, f.MemoEdit, "MemoEdit", S("メモ")));
  left->addWidget(memo_box);
  auto* outlets = new QGroupBox(S("アウトレット名称"), t1);
  auto* outlets_grid = new QGridLayout(outlets);
  outlets_grid->setVerticalSpacing(2);
  for (int k = 1; k <= 8; ++k) {
    outlets_grid->addWidget(NumberPanel(outlets, mirror, f.NamePanel(k), Nm("Panel", k + 1)), k, 0);
    outlets_grid->addWidget(EditBox(outlets, mirror, f.OutletEdit(k), Nm("Edit", k),
                                    S("アウトレット名称") + QString::number(k)),
                            k, 1);
  }
  left->addWidget(outlets);
  left->addStretch(1);
  t1_layout->addLayout(left, 1);
  auto* right = new QVBoxLayout;
  auto* icons = new QGroupBox(S("アイコン表示"), t1);
  auto* icons_grid = new QGridLayout(icons);
  icons_grid->setVerticalSpacing(2);
  for (int k = 1; k <= 8; ++k) {
    icons_grid->addWidget(NumberPanel(icons, mirror, f.IconPanel(k), Nm("Panel", k + 9)), k, 0);
    icons_grid->addWidget(Check(icons, mirror, f.IconCheck(k), Nm("CheckBox", k)), k, 1);
    icons_grid->addWidget(ComboEdit(icons, mirror, f.KindBox(k), Nm("ComboBox", k),
                                    S("アイコン表示") + QString::number(k)),
                          k, 2);
  }
  right->addWidget(icons);
  auto* info = new QGroupBox(S("機器情報"), t1);
  auto* info_layout = new QHBoxLayout(info);
  auto* label1 = new QLabel(info);
  Named(label1, "Label1");  // the device's description
  label1->setWordWrap(true);
  mirror.Bind(label1, f.Label1);
  info_layout->addWidget(label1, 1);
  QPushButton* cls = Push(info, mirror, f.BitBtn4, "BitBtn4", [&f] { f.BitBtn4Click(); });
  cls->setFixedWidth(40);
  info_layout->addWidget(cls, 0, Qt::AlignTop);
  right->addWidget(info);
  right->addStretch(1);
  t1_layout->addLayout(right, 1);
  tabs->addTab(t1, S("名称登録"));

  // 2 "接続"
  auto* t2 = new QWidget(tabs);
  t2->setObjectName(QStringLiteral("TabSheet2"));
  auto* t2_layout = new QVBoxLayout(t2);
  t2_layout->setContentsMargins(6, 4, 6, 4);
  t2_layout->setSpacing(4);
  auto* how = new QGroupBox(S("接続方法"), t2);
  auto* how_grid = new QGridLayout(how);
  how_grid->setVerticalSpacing(2);
  how_grid->addWidget(new QLabel(S("接続方法"), how), 0, 0);
  method = ComboEdit(how, mirror, f.ComboBox9, "ComboBox9", S("接続方法"), [&f] { f.ComboBox9Change(); });
  how_grid->addWidget(method, 0, 1);
  how_grid->addWidget(new QLabel(S("IPアドレス"), how), 1, 0);
  address = EditBox(how, mirror, f.Edit10, "Edit10", S("IPアドレス"));
  how_grid->addWidget(address, 1, 1);
  how_grid->addWidget(Check(how, mirror, f.CheckBox26, "CheckBox26"), 2, 0, 1, 2);
  how_grid->addWidget(new QLabel(S("PORT"), how), 3, 0);
  port = EditBox(how, mirror, f.Edit11, "Edit11", S("PORT"));
  how_grid->addWidget(port, 3, 1);
  t2_layout->addWidget(how);
  auto* telnet = new QGroupBox(S("機器からの情報受信 電源制御(TELNET接続)"), t2);
  auto* telnet_grid = new QGridLayout(telnet);
  telnet_grid->setVerticalSpacing(2);
  telnet_grid->addWidget(new QLabel(S("パスワード"), telnet), 0, 0);
  password = EditBox(telnet, mirror, f.MaskEdit1, "MaskEdit1", S("パスワード"));
  password->setEchoMode(QLineEdit::Password);
  password->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
  mirror.OnOperatorText(password, [&f](const QString&) { f.MaskEdit1Change(); });
  telnet_grid->addWidget(password, 0, 1);
  telnet_grid->addWidget(new QLabel(S("TELNET PORT"), telnet), 1, 0);
  telnet_grid->addWidget(EditBox(telnet, mirror, f.Edit12, "Edit12", S("TELNET PORT")), 1, 1);
  telnet_grid->addWidget(new QLabel(S("ダイレクト電源制御"), telnet), 2, 0);
  auto* direct = new QHBoxLayout;
  RadioPair(telnet, mirror, f.RadioButton1, "RadioButton1", f.RadioButton2, "RadioButton2", direct,
            S("ダイレクト電源制御"));
  direct->addStretch(1);
  telnet_grid->addLayout(direct, 2, 1);
  auto* change_label = new QLabel(telnet);
  Named(change_label, "GroupChangeRow", S("グループ設定変更"));
  mirror.Bind(change_label, f.GroupChangeRow);
  telnet_grid->addWidget(change_label, 3, 0);
  auto* change = new QHBoxLayout;
  RadioPair(telnet, mirror, f.RadioButton3, "RadioButton3", f.RadioButton4, "RadioButton4", change,
            S("グループ設定変更"));
  change->addStretch(1);
  telnet_grid->addLayout(change, 3, 1);
  telnet_grid->addWidget(PanelLabel(telnet, mirror, f.Panel51, "Panel51"), 4, 0, 1, 2);
  identity = Push(telnet, mirror, f.BitBtn3, "BitBtn3", [&f] { f.BitBtn3Click(); });
  telnet_grid->addWidget(identity, 5, 1, Qt::AlignRight);
  t2_layout->addWidget(telnet);
  auto* memos = new QHBoxLayout;
  for (auto [memo, memo_name] : {std::make_pair(&f.Memo1, "Memo1"), std::make_pair(&f.Memo2, "Memo2")}) {
    auto* e = new QPlainTextEdit(t2);
    e->setReadOnly(true);
    e->setLineWrapMode(QPlainTextEdit::NoWrap);
    e->setFixedHeight(56);
    Named(e, memo_name, QString::fromLatin1(memo_name));
    mirror.Bind(e, *memo);
    memos->addWidget(e);
  }
  t2_layout->addLayout(memos);
  t2_layout->addStretch(1);
  tabs->addTab(t2, S("接続"));

  // 3 "ログ保存"
  auto* t3 = new QWidget(tabs);
  t3->setObjectName(QStringLiteral("TabSheet3"));
  auto* t3_layout = new QVBoxLayout(t3);
  auto* logs = new QGroupBox(S("ログ保存"), t3);
  auto* logs_grid = new QGridLayout(logs);
  logs_grid->addWidget(new QLabel(S("ファイル名"), logs), 0, 1);
  logs_grid->addWidget(new QLabel(S("記録"), logs), 0, 2);
  const int file_panels[8] = {34, 36, 37, 38, 39, 40, 41, 42};
  for (int k = 1; k <= 8; ++k) {
    logs_grid->addWidget(NumberPanel(logs, mirror, f.LogPanel(k), Nm("Panel", k + 22)), k, 0);
    logs_grid->addWidget(PanelLabel(logs, mirror, f.FilePanel(k), Nm("Panel", file_panels[k - 1])), k, 1);
    logs_grid->addWidget(Check(logs, mirror, f.LogCheck(k), Nm("CheckBox", k + 8)), k, 2);
  }
  logs_grid->setColumnStretch(1, 1);
  t3_layout->addWidget(logs);
  t3_layout->addStretch(1);
  tabs->addTab(t3, S("ログ保存"));

  // 4 "通知機能"
  auto* t4 = new QWidget(tabs);
  t4->setObjectName(QStringLiteral("TabSheet5"));
  auto* t4_layout = new QHBoxLayout(t4);
  auto* mail = new QGroupBox(S("E-MAIL 送信条件"), t4);
  auto* mail_layout = new QVBoxLayout(mail);
  for (auto [c, n] : {std::make_pair(&f.CheckBox17, "CheckBox17"), std::make_pair(&f.CheckBox18, "CheckBox18"),
                      std::make_pair(&f.CheckBox19, "CheckBox19"), std::make_pair(&f.CheckBox20, "CheckBox20")}) {
    mail_layout->addWidget(Check(mail, mirror, *c, n));
  }
  auto* line = new QFrame(mail);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  mail_layout->addWidget(line);
  mail_layout->addWidget(Check(mail, mirror, f.CheckBox25, "CheckBox25"));
  mail_layout->addStretch(1);
  t4_layout->addWidget(mail);
  auto* sound = new QGroupBox(S("通知音設定"), t4);
  auto* sound_layout = new QVBoxLayout(sound);
  for (auto [c, n] : {std::make_pair(&f.CheckBox21, "CheckBox21"), std::make_pair(&f.CheckBox22, "CheckBox22"),
                      std::make_pair(&f.CheckBox23, "CheckBox23"), std::make_pair(&f.CheckBox24, "CheckBox24")}) {
    sound_layout->addWidget(Check(sound, mirror, *c, n));
  }
  sound_layout->addStretch(1);
  t4_layout->addWidget(sound);
  tabs->addTab(t4, S("通知機能"));

  // 5 "情報"
  auto* t5 = new QWidget(tabs);
  t5->setObjectName(QStringLiteral("TabSheet4"));
  auto* t5_grid = new QGridLayout(t5);
  auto* count = new QLabel(S("アウトレット数"), t5);
  t5_grid->addWidget(count, 0, 0);
  t5_grid->addWidget(PanelLabel(t5, mirror, f.Panel20, "Panel20", count), 0, 1);
  auto* ip = new QLabel(S("IPアドレス"), t5);
  t5_grid->addWidget(ip, 1, 0);
  t5_grid->addWidget(PanelLabel(t5, mirror, f.Panel33, "Panel33", ip), 1, 1);
  t5_grid->setColumnStretch(1, 1);
  t5_grid->setRowStretch(2, 1);
  tabs->addTab(t5, S("情報"));

  mirror.Watch(f.PageControl1, [this, &f] {
    if (tabs->currentIndex() != f.PageControl1.ActivePageIndex()) tabs->setCurrentIndex(f.PageControl1.ActivePageIndex());
  });
  connect(tabs, &QTabWidget::currentChanged, this, [&f](int i) { f.PageControl1.SetActivePageIndex(i); });

  // The frame's close button closes without storing, as "キャンセル".
  new FormView(mirror, this, f, [&f] { f.Close(); });
  CentreOnScreen(this);
}

}  // namespace zol
