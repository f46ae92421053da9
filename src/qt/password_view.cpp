#include "qt/password_view.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "console/app.h"
#include "console/password_dialog.h"
#include "qt/form_view.h"
#include "qt/mirror.h"
#include "qt/pictures.h"
#include "qt/sjis.h"
#include "qt/view_util.h"

namespace zol {

PasswordView::PasswordView(App& app, Mirror& mirror) : QWidget(nullptr, Qt::Dialog) {
  PasswordDialog& f = app.Form14();
  setFixedSize(f.ClientWidth, f.ClientHeight);
  label1 = new QLabel(this);
  Named(label1, "Label1", FromSjis(f.Label1.Caption()));
  label1->setGeometry(8, 8, 228, 20);
  entry = new QLineEdit(this);
  Named(entry, "MaskEdit1", FromSjis(f.Label1.Caption()));
  entry->setGeometry(8, 30, 224, 26);
  entry->setEchoMode(QLineEdit::Password);
  entry->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));  // "*"
  label1->setBuddy(entry);
  label2 = new QLabel(this);
  Named(label2, "Label2", FromSjis(f.Label2.Caption()));
  label2->setGeometry(8, 60, 228, 36);
  label2->setWordWrap(true);
  ok = new QPushButton(this);
  Named(ok, "BitBtn1", FromSjis(f.BitBtn1.Caption()));
  ok->setGeometry(80, 100, 80, 30);
  ok->setDefault(true);
  mirror.Bind(label1, f.Label1);
  mirror.Bind(entry, f.MaskEdit1);
  mirror.Bind(label2, f.Label2);
  mirror.Bind(ok, f.BitBtn1);
  OnClicked(ok, mirror, [&f] { f.BitBtn1Click(); });
  connect(entry, &QLineEdit::returnPressed, ok, &QPushButton::click);
  setWindowIcon(ProgramIcon());
  CentreOnScreen(this);
  new FormView(mirror, this, f, [&f] { f.Close(); });
}

}  // namespace zol
