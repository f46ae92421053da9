#include "qt/device_view.h"

#include <QLabel>
#include <QPushButton>

#include "console/app.h"
#include "console/device_window.h"
#include "qt/form_view.h"
#include "qt/mirror.h"
#include "qt/pictures.h"
#include "qt/view_util.h"

namespace zol {

namespace {

constexpr int kLabelX = 8, kLabelW = 150, kValueX = 160, kValueW = 177, kRowH = 24;

// A caption cell: white text on grey.
QLabel* CaptionCell(QWidget* parent, const char* text, int y) {
  auto* l = new QLabel(S(text), parent);
  l->setGeometry(kLabelX, y, kLabelW, kRowH);
  l->setAutoFillBackground(true);
  l->setStyleSheet(QStringLiteral("QLabel { background: #808080; color: white; padding-left: 4px; }"));
  return l;
}

// A value panel: a sunken white field, named after its control and read
// by its text.
QLabel* ValueCell(QWidget* parent, Mirror& mirror, const Panel& panel, const char* name, const QRect& at) {
  auto* l = Named(new QLabel(parent), name);
  l->setGeometry(at);
  l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  l->setAutoFillBackground(true);
  l->setStyleSheet(QStringLiteral("QLabel { background: white; color: black; padding-left: 3px; }"));
  l->setTextInteractionFlags(Qt::TextSelectableByMouse);
  mirror.Bind(l, panel);
  return l;
}

QPushButton* NamedButton(QWidget* parent, Mirror& mirror, Button& core, const char* name, const QRect& at) {
  auto* b = Named(new QPushButton(parent), name);
  b->setGeometry(at);
  b->setAutoDefault(false);
  mirror.Bind(b, core);  // read by its caption
  return b;
}

}  // namespace

DeviceView::DeviceView(App& app, Mirror& mirror) : QWidget(nullptr, Qt::Dialog) {
  DeviceWindow& f = app.Form7();
  setObjectName(QStringLiteral("Form7"));
  setWindowIcon(ProgramIcon());
  setFixedSize(345, 289);
  setStyleSheet(QStringLiteral("zol--DeviceView { background: #D4D0C8; }"));
  setAutoFillBackground(true);

  // The picture in one strip with the three switch buttons.
  picture = Named(new QLabel(this), "OlImage1", QStringLiteral("ON/OFF"));
  picture->setGeometry(8, 10, 80, 25);
  mirror.Bind(picture, f.OlImage1, OnOffStrip());
  mirror.Watch(f.OlImage1, [this, &f] {
    const int band = f.OlImage1.Band();
    picture->setAccessibleDescription(band == DeviceWindow::kBandOn    ? QStringLiteral("ON")
                                      : band == DeviceWindow::kBandOff ? QStringLiteral("OFF")
                                                                       : QString());
  });
  on = NamedButton(this, mirror, f.BitBtn7, "BitBtn7", QRect(96, 8, 76, 29));
  off = NamedButton(this, mirror, f.BitBtn8, "BitBtn8", QRect(176, 8, 76, 29));
  reboot = NamedButton(this, mirror, f.BitBtn9, "BitBtn9", QRect(256, 8, 81, 29));

  // The value rows: caption cell, then the sunken panel (two on the ID row).
  const struct {
    const char* caption;
    const Panel& panel;
    const char* name;
    QLabel** widget;
  } rows[] = {
      {"アウトレット名称", f.Panel1, "Panel1", &outlet_name}, {"機器名称", f.Panel2, "Panel2", &device_name},
      {"登録ID/アウトレットNo", f.Panel4, "Panel4", &id},     {"更新日時", f.Panel0, "Panel0", &updated},
      {"IPアドレス", f.Panel7, "Panel7", &ip},               {"状態", f.Panel3, "Panel3", &state},
  };
  int y = 46;
  for (const auto& r : rows) {
    QLabel* caption = CaptionCell(this, r.caption, y);
    if (r.widget == &id) {
      id = ValueCell(this, mirror, f.Panel4, "Panel4", QRect(kValueX, y, 90, kRowH));
      outlet_no = ValueCell(this, mirror, f.Panel6, "Panel6", QRect(kValueX + 94, y, kValueW - 94, kRowH));
    } else {
      *r.widget = ValueCell(this, mirror, r.panel, r.name, QRect(kValueX, y, kValueW, kRowH));
    }
    caption->setBuddy(*r.widget);  // the value's label
    y += 26;
  }

  connect_button = NamedButton(this, mirror, f.BitBtn4, "BitBtn4", QRect(8, 214, 162, 32));
  connect_button->setIconSize(QSize(20, 20));
  const QIcon terminal = ConnectIcon(ConnectPicture::Terminal);
  const QIcon globe = ConnectIcon(ConnectPicture::Globe);
  mirror.Watch(f.BitBtn4, [this, &f, terminal, globe] {
    connect_button->setIcon(f.BitBtn4.Glyph() == DeviceWindow::kGlyphTelnet ? terminal : globe);
  });
  details = NamedButton(this, mirror, f.BitBtn1, "BitBtn1", QRect(175, 214, 162, 32));
  edit = NamedButton(this, mirror, f.BitBtn2, "BitBtn2", QRect(8, 250, 162, 32));
  close_button = NamedButton(this, mirror, f.BitBtn3, "BitBtn3", QRect(175, 250, 162, 32));

  OnClicked(on, mirror, [&f] { f.BitBtn7Click(); });
  OnClicked(off, mirror, [&f] { f.BitBtn8Click(); });
  OnClicked(reboot, mirror, [&f] { f.BitBtn9Click(); });
  OnClicked(connect_button, mirror, [&f] { f.BitBtn4Click(); });
  OnClicked(details, mirror, [&f] { f.BitBtn1Click(); });
  OnClicked(edit, mirror, [&f] { f.BitBtn2Click(); });
  OnClicked(close_button, mirror, [&f] { f.BitBtn3Click(); });

  CentreOnScreen(this);
  new FormView(mirror, this, f, [&f] { f.BitBtn3Click(); });
}

}  // namespace zol
