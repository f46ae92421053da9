#include "qt/splash_view.h"

#include <QLabel>

#include "console/app.h"
#include "console/splash_window.h"
#include "qt/form_view.h"
#include "qt/mirror.h"
#include "qt/pictures.h"
#include "qt/view_util.h"

namespace zol {

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

}  // namespace zol
