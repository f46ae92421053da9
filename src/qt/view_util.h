// Small helpers the window views share.
#pragma once

#include <QString>
#include <QValidator>

#include "common/controls.h"
#include "qt/pictures.h"

#include <functional>

class QAbstractButton;
class QLineEdit;
class QToolBar;
class QToolButton;
class QWidget;

namespace zol {

// A Shift-JIS literal as a QString.
QString S(const char* sjis);

void CentreOnScreen(QWidget* w);

// "#rrggbb" of a core colour.
QString ColorName(Color c);

// Holds the operator's edits of entry to at most max_bytes bytes of
// Shift-JIS, a double-byte character counting two: a longer paste is cut at
// a whole character as the device editor's boxes cut it (FitTypedText), so
// no character is ever cut in half. A character Shift-JIS cannot hold is let
// through (as one byte) and refused by name when the dialog stores.
class SjisValidator : public QValidator {
 public:
  SjisValidator(size_t max_bytes, QLineEdit* entry);
  State validate(QString& input, int& pos) const override;

 private:
  size_t max_bytes_;
  QString before_;  // the entry's text before the edit
};

class Mirror;

// A click of the button runs the core's handler while the mirror finds the
// button usable (Mirror::Usable), and the mirror shows what it changed at
// once.
void OnClicked(QAbstractButton* button, Mirror& mirror, std::function<void()> handler);

// A tool button with a picture, added to the bar.
QToolButton* ToolButton(QToolBar* bar, ToolPicture pic, bool checkable);

}  // namespace zol
