#include "qt/group_dialog_view.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "console/app.h"
#include "console/group_dialog.h"
#include "qt/form_view.h"
#include "qt/mirror.h"
#include "qt/pictures.h"
#include "qt/sjis.h"
#include "qt/view_util.h"

namespace zol {

GroupDialogView::GroupDialogView(App& app, Mirror& mirror) : QWidget(nullptr, Qt::Dialog) {
  GroupDialog& f = app.Form3();
  setFixedSize(f.ClientWidth, f.ClientHeight);
  label1 = new QLabel(this);
  Named(label1, "Label1", FromSjis(f.Label1.Caption()));
  label1->setGeometry(40, 60, 320, 20);
  edit1 = new QLineEdit(this);
  Named(edit1, "Edit1", FromSjis(f.Label1.Caption()));
  edit1->setGeometry(40, 84, 320, 26);
  edit1->setValidator(new SjisValidator(GroupDialog::kNameMaxBytes, edit1));
  label1->setBuddy(edit1);
  ok = new QPushButton(this);
  cancel = new QPushButton(this);
  Named(ok, "BitBtn1", FromSjis(f.BitBtn1.Caption()));
  Named(cancel, "BitBtn2", FromSjis(f.BitBtn2.Caption()));
  ok->setGeometry(100, 170, 96, 32);
  cancel->setGeometry(212, 170, 96, 32);
  ok->setDefault(true);
  mirror.Bind(label1, f.Label1);
  mirror.Bind(edit1, f.Edit1);
  mirror.Bind(ok, f.BitBtn1);
  mirror.Bind(cancel, f.BitBtn2);
  OnClicked(ok, mirror, [&f] { f.BitBtn1Click(); });
  OnClicked(cancel, mirror, [&f] { f.BitBtn2Click(); });
  connect(edit1, &QLineEdit::returnPressed, ok, &QPushButton::click);
  setWindowIcon(ProgramIcon());
  CentreOnScreen(this);
  new FormView(mirror, this, f, [&f] { f.Close(); });
}

}  // namespace zol
