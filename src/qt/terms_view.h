// The view of the terms dialog (Form10).
#pragma once

#include <QWidget>

class QPlainTextEdit;
class QPushButton;


namespace zol {

class App;
class Mirror;

class TermsView : public QWidget {
  Q_OBJECT
 public:
  TermsView(App& app, Mirror& mirror);
  QPushButton* agree = nullptr;
  QPushButton* disagree = nullptr;
  QPlainTextEdit* text = nullptr;
};

}  // namespace zol
