// Small helpers the window views share.
#pragma once

#include <QString>

#include "common/controls.h"
#include "qt/pictures.h"

class QToolBar;
class QToolButton;
class QWidget;

namespace zol {

// A Shift-JIS literal as a QString.
QString S(const char* sjis);

void CentreOnScreen(QWidget* w);

// "#rrggbb" of a core colour.
QString ColorName(Color c);

// A tool button with a picture, added to the bar.
QToolButton* ToolButton(QToolBar* bar, ToolPicture pic, bool checkable);

}  // namespace zol
