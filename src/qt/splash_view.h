// The view of the splash window (Form1).
#pragma once

#include <QWidget>


namespace zol {

class App;
class Mirror;

class SplashView : public QWidget {
  Q_OBJECT
 public:
  SplashView(App& app, Mirror& mirror);
};

}  // namespace zol
