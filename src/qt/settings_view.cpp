#include "qt/settings_view.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>
#include <functional>

#include "console/app.h"
#include "console/splash_window.h"
#include "qt/form_view.h"
#include "qt/mirror.h"
#include "qt/pictures.h"
#include "qt/sjis.h"
#include "qt/view_util.h"
#include "settings/settings_dialog.h"

namespace zol {

namespace {

using Handler = std::function<void()>;

QLineEdit* EditField(QWidget* parent, Mirror& mirror, Edit& e, const char* name, const char* label,
                     const Handler& on_edit = nullptr) {
  auto* w = Named(new QLineEdit(parent), name, S(label));
  mirror.Bind(w, e);
  if (on_edit) mirror.OnOperatorText(w, [on_edit](const QString&) { on_edit(); });
  return w;
}

QCheckBox* Check(QWidget* parent, Mirror& mirror, CheckBox& c, const char* name, const Handler& on_click = nullptr) {
  auto* w = Named(new QCheckBox(FromSjis(c.Caption()), parent), name, FromSjis(c.Caption()));
  mirror.Tie(w, c);
  mirror.Watch(c, [w, &c] {
    ApplyControl(w, c);
    if (w->isChecked() != c.Checked()) w->setChecked(c.Checked());
  });
  QObject::connect(w, &QCheckBox::clicked, w, [w, &c, &mirror, on_click](bool on) {
    if (!mirror.Usable(w)) return;
    c.SetChecked(on);
    if (on_click) on_click();
  });
  return w;
}

// A radio button whose group the core keeps to one checked button, so a
// group may also show none checked.
QRadioButton* Radio(QWidget* parent, Mirror& mirror, RadioButton& c, const char* name, const Handler& on_click) {
  auto* w = Named(new QRadioButton(FromSjis(c.Caption()), parent), name, FromSjis(c.Caption()));
  w->setAutoExclusive(false);
  mirror.Tie(w, c);
  mirror.Watch(c, [w, &c] {
    ApplyControl(w, c);
    if (w->isChecked() != c.Checked()) w->setChecked(c.Checked());
  });
  QObject::connect(w, &QRadioButton::clicked, w, [w, &c, &mirror, on_click] {
    if (!mirror.Usable(w)) return;
    on_click();
    w->setChecked(c.Checked());
  });
  return w;
}

// A combo box; editable ones send the operator's typing back as the text
// with no item chosen. Only the operator's choosing and typing reach the
// core: the program's own fill runs with the signals blocked.
QComboBox* Combo(QWidget* parent, Mirror& mirror, ComboBox& c, const char* name, const QString& label, bool editable,
                 const Handler& on_change = nullptr) {
  auto* w = Named(new QComboBox(parent), name, label);
  w->setEditable(editable);
  w->setInsertPolicy(QComboBox::NoInsert);
  mirror.Bind(w, c);
  QObject::connect(w, qOverload<int>(&QComboBox::activated), w, [w, &c, &mirror, on_change](int index) {
    if (!mirror.Usable(w)) return;
    c.SetItemIndex(index);
    c.SetText(ToSjis(w->itemText(index)));
    if (on_change) on_change();
  });
  if (editable) {
    mirror.OnOperatorText(w->lineEdit(), [&c, on_change](const QString& t) {
      c.SetItemIndex(-1);
      SetTyped(c, t);
      if (on_change) on_change();
    });
  }
  return w;
}

QPushButton* PushButton(QWidget* parent, Mirror& mirror, Button& b, const char* name, const Handler& on_click) {
  auto* w = Named(new QPushButton(parent), name);
  // No default button: Return in a field does nothing (QDialog would make
  // its first button the default, here "参照", and open the folder chooser).
  w->setAutoDefault(false);
  mirror.Bind(w, b);
  OnClicked(w, mirror, on_click);
  return w;
}

QSpinBox* Spin(QWidget* parent, Mirror& mirror, UpDown& u, const char* name, const char* label) {
  auto* w = Named(new QSpinBox(parent), name, S(label));
  mirror.Bind(w, u);
  return w;
}

QLabel* Text(QWidget* parent, Mirror& mirror, Label& l, const char* name) {
  auto* w = Named(new QLabel(parent), name);
  mirror.Bind(w, l);
  return w;
}

QGroupBox* Box(const char* title, QWidget* parent) { return new QGroupBox(S(title), parent); }

}  // namespace

SettingsView::SettingsView(App& app, Mirror& mirror) : QDialog(nullptr), form_(app.Form8()) {
  SettingsDialog& f = form_;
  setWindowModality(Qt::ApplicationModal);
  setWindowIcon(ProgramIcon());
  setFixedSize(f.ClientWidth, f.ClientHeight);
  auto* top = new QVBoxLayout(this);
  top->setContentsMargins(6, 6, 6, 6);
  tabs = Named(new QTabWidget(this), "PageControl1", S("基本設定"));
  top->addWidget(tabs, 1);

  // --- 共通 ---
  auto* common = new QWidget;
  auto* cg = new QGridLayout(common);
  cg->setContentsMargins(4, 4, 4, 4);
  cg->setVerticalSpacing(2);
  {
    auto* b = Box("ソフト起動時", common);
    auto* l = new QHBoxLayout(b);
    l->addWidget(Check(b, mirror, f.CheckBox1, "CheckBox1"));
    l->addWidget(Combo(b, mirror, f.ComboBox2, "ComboBox2", S("ソフト起動時"), true));
    cg->addWidget(b, 0, 0);
  }
  {
    auto* b = Box("システムログ", common);
    auto* l = new QHBoxLayout(b);
    l->addWidget(Check(b, mirror, f.CheckBox3, "CheckBox3", [&f] { f.CheckBox3Click(); }));
    l->addWidget(Check(b, mirror, f.CheckBox4, "CheckBox4"));
    cg->addWidget(b, 0, 1);
  }
  {
    auto* b = Box("TimeOut間隔(分)", common);
    auto* l = new QHBoxLayout(b);
    l->addWidget(Spin(b, mirror, f.UpDown1, "Edit3", "TimeOut間隔(分)"));
    l->addWidget(Text(b, mirror, f.Label3, "Label3"));
    cg->addWidget(b, 1, 0);
  }
  {
    auto* b = Box("受信ポート指定(UDP)", common);
    auto* l = new QHBoxLayout(b);
    l->addWidget(EditField(b, mirror, f.Edit2, "Edit2", "受信ポート指定(UDP)"));
    l->addWidget(Text(b, mirror, f.Label4, "Label4"));
    cg->addWidget(b, 1, 1);
  }
  {
    auto* b = Box("ログ記録", common);
    auto* l = new QHBoxLayout(b);
    l->addWidget(new QLabel(S("保存先フォルダ名"), b));
    l->addWidget(EditField(b, mirror, f.Edit1, "Edit1", "保存先フォルダ名"), 1);
    l->addWidget(PushButton(b, mirror, f.BitBtn3, "BitBtn3", [&f] { f.BitBtn3Click(); }));
    cg->addWidget(b, 2, 0, 1, 2);
  }
  {
    auto* b = Box("固定温度表示", common);
    auto* l = new QHBoxLayout(b);
    l->addWidget(new QLabel(S("表示機器"), b));
    l->addWidget(Combo(b, mirror, f.ComboBox1, "ComboBox1", S("表示機器"), false), 1);
    cg->addWidget(b, 3, 0);
  }
  {
    auto* b = Box("パスワード設定", common);
    auto* l = new QHBoxLayout(b);
    l->addWidget(Check(b, mirror, f.CheckBox6, "CheckBox6"));
    l->addWidget(new QLabel(QStringLiteral("PASS"), b));
    QLineEdit* pass = EditField(b, mirror, f.MaskEdit1, "MaskEdit1", "PASS");
    pass->setEchoMode(QLineEdit::Password);
    l->addWidget(pass, 1);
    cg->addWidget(b, 3, 1);
  }
  {
    auto* b = Box("グループ制御", common);
    auto* l = new QHBoxLayout(b);
    l->addWidget(new QLabel(QStringLiteral("TimeOut"), b));
    l->addWidget(Spin(b, mirror, f.UpDown2, "Edit4", "グループ制御 TimeOut"));
    l->addWidget(new QLabel(S("秒"), b));
    l->addStretch(1);
    cg->addWidget(b, 4, 0);
  }
  cg->setRowStretch(5, 1);
  tabs->addTab(common, S("共通"));

  // --- 通知音 ---
  auto* sound = new QWidget;
  auto* sg = new QGridLayout(sound);
  {
    const char* titles[] = {"注意時", "警報時", "回復時", "タイムアウト時"};
    const char* names[4][6] = {
        {"RadioButton1", "RadioButton2", "RadioButton3", "Edit8", "BitBtn15", "BitBtn17"},
        {"RadioButton4", "RadioButton5", "RadioButton6", "Edit5", "BitBtn4", "BitBtn5"},
        {"RadioButton7", "RadioButton8", "RadioButton9", "Edit6", "BitBtn6", "BitBtn7"},
        {"RadioButton10", "RadioButton11", "RadioButton12", "Edit7", "BitBtn8", "BitBtn9"},
    };
    for (int kind = 1; kind <= 4; ++kind) {
      const char* const* n = names[kind - 1];
      SettingsDialog::SoundGroup g = f.Group(kind);
      auto* b = Box(titles[kind - 1], sound);
      auto* l = new QGridLayout(b);
      l->addWidget(Radio(b, mirror, *g.off, n[0], [&f, kind] { f.RadioButtonClick(kind, 0); }), 0, 0);
      l->addWidget(Radio(b, mirror, *g.beep, n[1], [&f, kind] { f.RadioButtonClick(kind, 1); }), 0, 1);
      l->addWidget(Radio(b, mirror, *g.file, n[2], [&f, kind] { f.RadioButtonClick(kind, 2); }), 0, 2);
      auto* name = Named(new QLineEdit(b), n[3], S(titles[kind - 1]));
      mirror.Bind(name, *g.name);
      l->addWidget(name, 1, 0, 1, 3);
      l->addWidget(PushButton(b, mirror, *g.choose, n[4], [&f, kind] { f.ChooseSound(kind); }), 1, 3);
      QPushButton* play = PushButton(b, mirror, *g.play, n[5], [&f, kind] { f.PlaySound(kind); });
      play->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
      l->addWidget(play, 1, 4);
      sg->addWidget(b, kind - 1, 0);
    }
    sg->setRowStretch(4, 1);
  }
  tabs->addTab(sound, S("通知音"));

  // --- E-MAIL通知 ---
  auto* mail = new QWidget;
  auto* ml = new QVBoxLayout(mail);
  ml->setContentsMargins(4, 4, 4, 4);
  {
    auto* b = Box("E-MAIL設定", mail);
    auto* g = new QGridLayout(b);
    g->setVerticalSpacing(3);
    g->setContentsMargins(6, 4, 6, 4);
    const Handler rule = [&f] { f.edtToMailChange(); };
    g->addWidget(Check(b, mirror, f.CheckBox7, "CheckBox7"), 0, 0, 1, 4);
    g->addWidget(new QLabel(S("送信先E-MAILアドレス"), b), 1, 0);
    g->addWidget(EditField(b, mirror, f.edtToMail, "edtToMail", "送信先E-MAILアドレス", rule), 1, 1, 1, 3);
    g->addWidget(new QLabel(S("送信元E-MAILアドレス"), b), 2, 0);
    g->addWidget(EditField(b, mirror, f.UserEmail, "UserEmail", "送信元E-MAILアドレス", rule), 2, 1, 1, 3);
    g->addWidget(new QLabel(S("接続方式"), b), 3, 0);
    g->addWidget(Combo(b, mirror, f.cboAuthType, "cboAuthType", S("接続方式"), false, [&f] { f.cboAuthTypeChange(); }),
                 3, 1);
    g->addWidget(new QLabel(S("件名"), b), 3, 2);
    g->addWidget(EditField(b, mirror, f.Edit10, "Edit10", "件名"), 3, 3);
    g->addWidget(Text(b, mirror, f.lblAccount, "lblAccount"), 4, 0);
    g->addWidget(EditField(b, mirror, f.edtAccount, "edtAccount", "ユーザーID"), 4, 1);
    g->addWidget(Text(b, mirror, f.lblPassword, "lblPassword"), 4, 2);
    QLineEdit* pass = EditField(b, mirror, f.edtPassword, "edtPassword", "パスワード");
    pass->setEchoMode(QLineEdit::Password);
    g->addWidget(pass, 4, 3);
    g->addWidget(new QLabel(S("SMTPサーバアドレス (送信)"), b), 5, 0);
    g->addWidget(EditField(b, mirror, f.SMTPServer, "SMTPServer", "SMTPサーバアドレス (送信)", rule), 5, 1, 1, 3);
    g->addWidget(new QLabel(S("SMTPポート (デフォルト 25)"), b), 6, 0);
    g->addWidget(EditField(b, mirror, f.SMTPPort, "SMTPPort", "SMTPポート (デフォルト 25)"), 6, 1);
    ml->addWidget(b);
  }
  {
    auto* limit = Box("送信制限", mail);
    auto* ll = new QHBoxLayout(limit);
    ll->setContentsMargins(6, 4, 6, 4);
    ll->addWidget(Check(limit, mirror, f.CheckBox5, "CheckBox5", [&f] { f.CheckBox5Click(); }));
    QLineEdit* count = EditField(limit, mirror, f.Edit9, "Edit9", "1日の送信数");
    count->setMaximumWidth(60);
    ll->addWidget(count);
    ll->addWidget(Text(limit, mirror, f.Label9, "Label9"));
    ll->addStretch(1);
    ll->addWidget(PushButton(limit, mirror, f.BitBtn10, "BitBtn10", [&f] { f.BitBtn10Click(); }));
    ml->addWidget(limit);
  }
  ml->addStretch(1);
  tabs->addTab(mail, S("E-MAIL通知"));

  // --- 機器の登録 ---
  auto* devices = new QWidget;
  auto* dl = new QVBoxLayout(devices);
  {
    auto* b = Box("対象機器新規登録", devices);
    auto* g = new QGridLayout(b);
    const Handler rule = [&f] { f.Edit13Change(); };
    g->addWidget(new QLabel(S("MACアドレス"), b), 0, 0);
    QLineEdit* mac = EditField(b, mirror, f.Edit13, "Edit13", "MACアドレス", rule);
    mac->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    g->addWidget(mac, 0, 1);
    g->addWidget(new QLabel(S("アウトレット数"), b), 1, 0);
    g->addWidget(Combo(b, mirror, f.ComboBox10, "ComboBox10", S("アウトレット数"), true), 1, 1);
    g->addWidget(new QLabel(S("IPアドレス"), b), 2, 0);
    g->addWidget(EditField(b, mirror, f.Edit14, "Edit14", "IPアドレス", rule), 2, 1);
    g->addWidget(PushButton(b, mirror, f.BitBtn12, "BitBtn12", [&f] { f.BitBtn12Click(); }), 3, 1, Qt::AlignRight);
    dl->addWidget(b);
  }
  {
    auto* b = Box("機器データの入れ替え", devices);
    auto* g = new QGridLayout(b);
    g->addWidget(Combo(b, mirror, f.ComboBox3, "ComboBox3", S("入れ替える機器 上"), true), 0, 0);
    g->addWidget(new QLabel(S("▲　▼"), b), 1, 0, Qt::AlignCenter);
    g->addWidget(Combo(b, mirror, f.ComboBox4, "ComboBox4", S("入れ替える機器 下"), true), 2, 0);
    g->addWidget(PushButton(b, mirror, f.BitBtn11, "BitBtn11", [&f] { f.BitBtn11Click(); }), 2, 1);
    g->setColumnStretch(0, 1);
    dl->addWidget(b);
  }
  dl->addStretch(1);
  tabs->addTab(devices, S("機器の登録"));

  // --- 情報 ---
  auto* info = new QWidget;
  auto* il = new QVBoxLayout(info);
  {
    auto* image = Named(new QLabel(info), "Image1");
    image->setAlignment(Qt::AlignCenter);
    // The splash picture carries the version, which the program's start
    // sets after the views exist: it is drawn again with the version label.
    SplashWindow& splash = app.Form1();
    mirror.Bind(image, f.Image1, [&splash] { return SplashPicture(FromSjis(splash.VersionText)); });
    mirror.Watch(f.Label5, [image, &splash] { image->setPixmap(SplashPicture(FromSjis(splash.VersionText))); });
    il->addWidget(image);
    QLabel* version = Text(info, mirror, f.Label5, "Label5");
    version->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    il->addWidget(version);
    auto* basic = Box("基本情報", info);
    auto* bl = new QHBoxLayout(basic);
    auto* pc = new QLabel(S("PC IPアドレス"), basic);
    bl->addWidget(pc);
    QLabel* address = Text(basic, mirror, f.Label2, "Label2");
    pc->setBuddy(address);
    bl->addWidget(address, 1);
    il->addWidget(basic);
    auto* debug = Box("デバッグ用 送受信データ", info);
    auto* gl = new QHBoxLayout(debug);
    gl->addWidget(Check(debug, mirror, f.CheckBox2, "CheckBox2"));
    il->addWidget(debug);
    il->addStretch(1);
  }
  tabs->addTab(info, S("情報"));

  mirror.Watch(f.PageControl1, [this, &f] {
    if (tabs->currentIndex() != f.PageControl1.ActivePageIndex()) tabs->setCurrentIndex(f.PageControl1.ActivePageIndex());
  });
  connect(tabs, &QTabWidget::currentChanged, this, [&f](int i) { f.PageControl1.SetActivePageIndex(i); });

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(PushButton(this, mirror, f.BitBtn1, "BitBtn1", [&f] { f.BitBtn1Click(); }));
  buttons->addWidget(PushButton(this, mirror, f.BitBtn2, "BitBtn2", [&f] { f.BitBtn2Click(); }));
  top->addLayout(buttons);

  new FormView(mirror, this, f, [&f] { f.FormClose(); });
}

void SettingsView::reject() { form_.FormClose(); }

void SettingsView::showEvent(QShowEvent* ev) {
  CentreOnScreen(this);
  QDialog::showEvent(ev);
}

}  // namespace zol
