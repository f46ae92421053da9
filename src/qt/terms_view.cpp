#include "qt/terms_view.h"

#include <QPlainTextEdit>
#include <QPushButton>

#include "console/app.h"
#include "console/terms_dialog.h"
#include "qt/form_view.h"
#include "qt/mirror.h"
#include "qt/pictures.h"
#include "qt/view_util.h"

namespace zol {

TermsView::TermsView(App& app, Mirror& mirror) : QWidget(nullptr, Qt::Dialog) {
  TermsDialog& f = app.Form10();
  setFixedSize(500, 401);
  // The terms text has no caption of its own: it is read by the dialog's title.
  text = Named(new QPlainTextEdit(this), "RichEdit1", S("確認"));
  text->setReadOnly(true);
  text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  text->setGeometry(0, 0, 497, 350);
  agree = Named(new QPushButton(this), "BitBtn1");
  disagree = Named(new QPushButton(this), "BitBtn2");
  QFont bold = agree->font();
  bold.setBold(true);
  agree->setFont(bold);
  disagree->setFont(bold);
  agree->setGeometry(120, 360, 120, 32);
  disagree->setGeometry(260, 360, 120, 32);
  mirror.Bind(text, f.RichEdit1);
  mirror.Bind(agree, f.BitBtn1);
  mirror.Bind(disagree, f.BitBtn2);
  OnClicked(agree, mirror, [&f] { f.BitBtn1Click(); });
  OnClicked(disagree, mirror, [&f] { f.BitBtn2Click(); });
  setWindowIcon(ProgramIcon());
  CentreOnScreen(this);
  new FormView(mirror, this, f, [&f] { f.Close(); });
}

}  // namespace zol
