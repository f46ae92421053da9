#include "qt/pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace zol {

namespace {

QColor StateColor(int image) {
  switch (image) {
    case 0: case 3: return QColor(0x2E, 0xB8, 0x4B);  // normal: green
    case 1: case 4: return QColor(0xF0, 0xB4, 0x1E);  // caution: amber
    case 2: case 5: return QColor(0xD9, 0x2B, 0x2B);  // abnormal / alarm: red
    case 6: return QColor(0x70, 0x70, 0x78);          // power off: grey
    case 7: return QColor(0x1E, 0x90, 0xE0);          // power on: blue
    case 8: return QColor(0x8A, 0x4F, 0xC8);          // time-out: violet
    default: return QColor(0xB0, 0xB0, 0xB0);         // unknown
  }
}

// A rounded tile in the state's colour with a little sign of the kind.
void DrawTile(QPainter& p, int s, const QColor& c) {
  QLinearGradient g(0, 0, 0, s);
  g.setColorAt(0, c.lighter(140));
  g.setColorAt(1, c.darker(115));
  p.setPen(QPen(c.darker(160), s / 24.0 + 0.5));
  p.setBrush(g);
  p.drawRoundedRect(QRectF(1.5, 1.5, s - 3, s - 3), s / 6.0, s / 6.0);
}

void DrawPingSign(QPainter& p, int s) {  // two linked screens
  p.setPen(QPen(Qt::white, s / 16.0));
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRectF(s * 0.16, s * 0.22, s * 0.28, s * 0.22));
  p.drawRect(QRectF(s * 0.56, s * 0.56, s * 0.28, s * 0.22));
  p.drawLine(QPointF(s * 0.44, s * 0.33), QPointF(s * 0.70, s * 0.33));
  p.drawLine(QPointF(s * 0.70, s * 0.33), QPointF(s * 0.70, s * 0.56));
}

void DrawThermoSign(QPainter& p, int s) {
  p.setPen(QPen(Qt::white, s / 16.0));
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(QRectF(s * 0.43, s * 0.16, s * 0.14, s * 0.48), s * 0.07, s * 0.07);
  p.setBrush(Qt::white);
  p.drawEllipse(QPointF(s * 0.5, s * 0.72), s * 0.13, s * 0.13);
}

void DrawPowerSign(QPainter& p, int s) {
  p.setPen(QPen(Qt::white, s / 12.0, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  const QRectF r(s * 0.25, s * 0.27, s * 0.5, s * 0.5);
  p.drawArc(r, 120 * 16, 300 * 16);
  p.drawLine(QPointF(s * 0.5, s * 0.18), QPointF(s * 0.5, s * 0.5));
}

void DrawText(QPainter& p, int s, const QString& t) {
  QFont f = p.font();
  f.setBold(true);
  f.setPixelSize(s / 2);
  p.setFont(f);
  p.setPen(Qt::white);
  p.drawText(QRectF(0, 0, s, s), Qt::AlignCenter, t);
}

void DrawMark(QPainter& p, int s, int image) {  // small corner mark of the state level
  const int level = image % 3;
  if (image > 5) return;
  p.setPen(Qt::NoPen);
  p.setBrush(level == 0 ? Qt::white : Qt::black);
  if (level == 0) return;
  QPainterPath tri;
  tri.moveTo(s * 0.70, s * 0.08);
  tri.lineTo(s * 0.92, s * 0.08);
  tri.lineTo(s * 0.92, s * 0.30);
  tri.closeSubpath();
  p.drawPath(tri);
}

// A small device box (the body of a power strip) with a status lamp.
void DrawDeviceBox(QPainter& p, const QColor& body, const QColor& lamp) {
  p.setPen(QPen(body.darker(170), 1));
  p.setBrush(body);
  p.drawRoundedRect(QRectF(1.5, 4.5, 13, 8), 1.5, 1.5);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x20, 0x20, 0x20));
  for (int i = 0; i < 3; ++i) p.drawRect(QRectF(3 + 3 * i, 8, 2, 2.5));
  p.setBrush(lamp);
  p.setPen(QPen(lamp.darker(160), 0.8));
  p.drawEllipse(QPointF(12.5, 7.5), 1.8, 1.8);
}

void DrawFolder(QPainter& p, const QColor& c) {
  p.setPen(QPen(c.darker(160), 1));
  p.setBrush(c.darker(110));
  QPainterPath back;
  back.moveTo(1.5, 3.5);
  back.lineTo(6, 3.5);
  back.lineTo(7.5, 5);
  back.lineTo(14.5, 5);
  back.lineTo(14.5, 13.5);
  back.lineTo(1.5, 13.5);
  back.closeSubpath();
  p.drawPath(back);
  p.setBrush(c);
  p.drawRect(QRectF(1.5, 6.5, 13, 7));
}

// A small sign in the lower right corner of a device picture.
void DrawBadge(QPainter& p, const QColor& c, const QString& t) {
  p.setPen(QPen(c.darker(170), 0.8));
  p.setBrush(c);
  p.drawEllipse(QRectF(8.5, 8.5, 7, 7));
  QFont f = p.font();
  f.setPixelSize(7);
  f.setBold(true);
  p.setFont(f);
  p.setPen(Qt::white);
  p.drawText(QRectF(8.5, 8.5, 7, 7), Qt::AlignCenter, t);
}

}  // namespace

QPixmap TreePicture(int index) {
  QPixmap pm(16, 16);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  const QColor device(0xE8, 0xEC, 0xF0);
  switch (index) {
    case 0:  // group folder
      DrawFolder(p, QColor(0xF2, 0xC9, 0x4C));
      break;
    case 1:  // unregistered device: a grey box with a question mark
      DrawDeviceBox(p, QColor(0xC8, 0xC8, 0xC8), QColor(0xB0, 0xB0, 0xB0));
      DrawBadge(p, QColor(0x90, 0x90, 0x98), QStringLiteral("?"));
      break;
    case 2:  // unregistered group: a grey folder
      DrawFolder(p, QColor(0xB8, 0xBC, 0xC4));
      p.setPen(QPen(QColor(0x50, 0x50, 0x58), 1.2));
      p.drawText(QRectF(1.5, 6.5, 13, 7), Qt::AlignCenter, QStringLiteral("?"));
      break;
    case 3:  // device in normal state
      DrawDeviceBox(p, device, StateColor(0));
      break;
    case 4: {  // state display: magnifier
      p.setPen(QPen(QColor(0x30, 0x50, 0x80), 1.6));
      p.setBrush(QColor(0xD8, 0xEC, 0xFF));
      p.drawEllipse(QPointF(6.5, 6.5), 4.2, 4.2);
      p.setPen(QPen(QColor(0x50, 0x38, 0x20), 2.4, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(9.8, 9.8), QPointF(14, 14));
      break;
    }
    case 5:  // outlets: a socket face with two slots
      p.setPen(QPen(QColor(0x60, 0x60, 0x68), 1));
      p.setBrush(QColor(0xF4, 0xF4, 0xF0));
      p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 3, 3);
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(0x30, 0x30, 0x30));
      p.drawRect(QRectF(5, 4.5, 1.6, 4.5));
      p.drawRect(QRectF(9.4, 4.5, 1.6, 4.5));
      p.drawEllipse(QPointF(8, 11.5), 1.3, 1.3);
      break;
    case 6:  // temperature: thermometer
      p.setPen(QPen(QColor(0x70, 0x70, 0x78), 1));
      p.setBrush(Qt::white);
      p.drawRoundedRect(QRectF(6, 1.5, 4, 10), 2, 2);
      p.setBrush(StateColor(2));
      p.drawEllipse(QPointF(8, 12.3), 2.7, 2.7);
      p.setPen(Qt::NoPen);
      p.drawRect(QRectF(7.2, 5, 1.6, 6));
      break;
    case 7:  // network: three linked nodes
      p.setPen(QPen(QColor(0x40, 0x60, 0x90), 1.2));
      p.drawLine(QPointF(8, 4), QPointF(3.5, 12));
      p.drawLine(QPointF(8, 4), QPointF(12.5, 12));
      p.drawLine(QPointF(3.5, 12), QPointF(12.5, 12));
      p.setBrush(QColor(0x1E, 0x90, 0xE0));
      for (const QPointF& c : {QPointF(8, 4), QPointF(3.5, 12), QPointF(12.5, 12)}) p.drawEllipse(c, 2.4, 2.4);
      break;
    case 8: {  // settings: tools (a spanner over a screwdriver)
      p.setPen(QPen(QColor(0xC0, 0x30, 0x30), 2.2, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(3, 13), QPointF(8, 8));
      p.setPen(QPen(QColor(0x60, 0x60, 0x68), 1.2));
      p.drawLine(QPointF(8, 8), QPointF(13, 3));
      p.setPen(QPen(QColor(0x78, 0x80, 0x88), 2.4, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(3.5, 3.5), QPointF(12, 12));
      p.setBrush(Qt::transparent);
      p.setPen(QPen(QColor(0x78, 0x80, 0x88), 1.6));
      p.drawEllipse(QPointF(3.2, 3.2), 2.2, 2.2);
      break;
    }
    case 11:  // log: a notebook with a pen
      p.setPen(QPen(QColor(0x30, 0x48, 0x70), 1));
      p.setBrush(QColor(0x4A, 0x78, 0xC0));
      p.drawRect(QRectF(2.5, 1.5, 9, 13));
      p.setBrush(Qt::white);
      p.drawRect(QRectF(4, 3, 6, 10));
      p.setPen(QPen(QColor(0x90, 0x90, 0x98), 0.8));
      for (int i = 0; i < 4; ++i) p.drawLine(QPointF(5, 5 + 2 * i), QPointF(9, 5 + 2 * i));
      p.setPen(QPen(QColor(0xE0, 0xA0, 0x20), 2, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(14, 4), QPointF(9.5, 12.5));
      break;
    case 12:  // memo: a yellow note pad
      p.setPen(QPen(QColor(0xA0, 0x88, 0x30), 1));
      p.setBrush(QColor(0xFF, 0xEC, 0x80));
      p.drawRect(QRectF(2.5, 2.5, 11, 12));
      p.setBrush(QColor(0xD0, 0x60, 0x40));
      p.drawRect(QRectF(2.5, 1.5, 11, 2.5));
      p.setPen(QPen(QColor(0xB0, 0x98, 0x50), 0.8));
      for (int i = 0; i < 4; ++i) p.drawLine(QPointF(4.5, 6.5 + 2 * i), QPointF(11.5, 6.5 + 2 * i));
      break;
    case 18:  // caution, alarm, time-out, not heard: the icon view's colours
    case 19:
    case 20:
    case 21: {
      const int state = index == 18 ? 1 : index == 19 ? 2 : index == 20 ? 8 : 9;
      DrawDeviceBox(p, device, StateColor(state));
      const QString sign = index == 18 ? QStringLiteral("!")
                           : index == 19 ? QStringLiteral("\u00D7")
                           : index == 20 ? QStringLiteral("T")
                                         : QStringLiteral("-");
      DrawBadge(p, StateColor(state), sign);
      break;
    }
    default:  // not used by the tree
      break;
  }
  return pm;
}

QPixmap StatePicture(int image, int size) {
  QPixmap pm(size, size);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  DrawTile(p, size, StateColor(image));
  if (image >= 0 && image <= 2) DrawPingSign(p, size);
  else if (image >= 3 && image <= 5) DrawThermoSign(p, size);
  else if (image == 6 || image == 7) DrawPowerSign(p, size);
  else if (image == 8) DrawText(p, size, QStringLiteral("T"));
  else DrawText(p, size, QStringLiteral("?"));
  DrawMark(p, size, image);
  if (image == 6) {  // off: a bar across
    p.setPen(QPen(QColor(0x30, 0x30, 0x30), size / 10.0));
    p.drawLine(QPointF(size * 0.2, size * 0.8), QPointF(size * 0.8, size * 0.2));
  }
  return pm;
}

QIcon ProgramIcon() {
  QIcon icon;
  for (int s : {16, 24, 32, 48, 64}) {
    QPixmap pm(s, s);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    DrawTile(p, s, QColor(0x1F, 0x5F, 0xA8));
    DrawPowerSign(p, s);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x6C, 0xE0, 0x6C));
    p.drawEllipse(QPointF(s * 0.78, s * 0.78), s * 0.12, s * 0.12);
    icon.addPixmap(pm);
  }
  return icon;
}

QPixmap SplashPicture(const QString& version) {
  QPixmap pm(320, 80);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient g(0, 0, 320, 80);
  g.setColorAt(0, QColor(0x12, 0x2E, 0x55));
  g.setColorAt(1, QColor(0x2A, 0x6C, 0xB5));
  p.fillRect(pm.rect(), g);
  for (int i = 0; i < 4; ++i) {
    QPixmap tile = StatePicture(i == 3 ? 7 : i * 3, 28);
    p.drawPixmap(14 + i * 32, 26, tile);
  }
  QFont f = p.font();
  f.setPixelSize(24);
  f.setBold(true);
  p.setFont(f);
  p.setPen(Qt::white);
  p.drawText(QRect(150, 12, 160, 34), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("ZOL YAB"));
  f.setPixelSize(13);
  f.setBold(false);
  p.setFont(f);
  p.drawText(QRect(150, 46, 160, 22), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Ver ") + version);
  return pm;
}

QIcon ToolIcon(ToolPicture kind) {
  const int s = 24;
  QPixmap pm(s, s);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  switch (kind) {
    case ToolPicture::Start: {
      QPainterPath tri;
      tri.moveTo(6, 4);
      tri.lineTo(20, 12);
      tri.lineTo(6, 20);
      tri.closeSubpath();
      p.setPen(QPen(QColor(0x1B, 0x6B, 0x2A), 1.5));
      p.setBrush(QColor(0x3C, 0xC0, 0x50));
      p.drawPath(tri);
      break;
    }
    case ToolPicture::Stop:
      p.setPen(QPen(QColor(0x80, 0x1A, 0x1A), 1.5));
      p.setBrush(QColor(0xE0, 0x40, 0x40));
      p.drawRoundedRect(QRectF(5, 5, 14, 14), 2, 2);
      break;
    case ToolPicture::Settings: {
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(0x60, 0x66, 0x70));
      p.translate(12, 12);
      for (int i = 0; i < 8; ++i) {
        p.drawRect(QRectF(-2, -11, 4, 6));
        p.rotate(45);
      }
      p.drawEllipse(QPointF(0, 0), 7.5, 7.5);
      p.setBrush(QColor(0xF4, 0xF4, 0xF4));
      p.drawEllipse(QPointF(0, 0), 3, 3);
      break;
    }
    case ToolPicture::Power: return QIcon(StatePicture(7, s));
    case ToolPicture::Ping: return QIcon(StatePicture(0, s));
    case ToolPicture::Temp: return QIcon(StatePicture(3, s));
    case ToolPicture::Ok:
    case ToolPicture::Caution:
    case ToolPicture::Ng:
    case ToolPicture::Unknown: {
      const QColor c = kind == ToolPicture::Ok ? StateColor(0) : kind == ToolPicture::Caution ? StateColor(1)
                       : kind == ToolPicture::Ng ? StateColor(2) : StateColor(9);
      p.setPen(QPen(c.darker(150), 1.2));
      p.setBrush(c);
      p.drawEllipse(QRectF(3, 3, 18, 18));
      QFont f = p.font();
      f.setPixelSize(12);
      f.setBold(true);
      p.setFont(f);
      p.setPen(Qt::white);
      const QString t = kind == ToolPicture::Ok ? QStringLiteral("\u25CB") : kind == ToolPicture::Caution ? QStringLiteral("!")
                        : kind == ToolPicture::Ng ? QStringLiteral("\u00D7") : QStringLiteral("?");
      p.drawText(QRectF(0, 0, s, s), Qt::AlignCenter, t);
      break;
    }
    case ToolPicture::All:
      for (int i = 0; i < 4; ++i) p.drawPixmap((i % 2) * 12, (i / 2) * 12, StatePicture(i == 3 ? 7 : i * 3, 12));
      break;
    case ToolPicture::Chart:
      p.setPen(QPen(QColor(0x30, 0x30, 0x30), 1.2));
      p.drawLine(4, 20, 20, 20);
      p.drawLine(4, 4, 4, 20);
      p.setPen(QPen(QColor(0xD9, 0x2B, 0x2B), 1.8));
      p.drawPolyline(QPolygonF({QPointF(5, 16), QPointF(10, 10), QPointF(14, 13), QPointF(20, 6)}));
      break;
    case ToolPicture::ClearChart:  // a chart line struck through
      p.setPen(QPen(QColor(0x1E, 0x5A, 0xC8), 1.8));
      p.drawPolyline(QPolygonF({QPointF(3, 17), QPointF(9, 10), QPointF(14, 14), QPointF(21, 6)}));
      p.setPen(QPen(QColor(0xD9, 0x2B, 0x2B), 2.4, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(6, 6), QPointF(18, 18));
      p.drawLine(QPointF(18, 6), QPointF(6, 18));
      break;
    case ToolPicture::HideList:
    case ToolPicture::ShowList: {  // a sheet of lines, with an arrow down (hide) or up (show)
      p.setPen(QPen(QColor(0x50, 0x58, 0x60), 1));
      p.setBrush(Qt::white);
      p.drawRect(QRectF(3.5, 2.5, 12, 16));
      for (int y = 6; y <= 15; y += 3) p.drawLine(QPointF(6, y), QPointF(13, y));
      QPainterPath arrow;
      const bool up = kind == ToolPicture::ShowList;
      const double tip = up ? 11 : 22, base = up ? 17 : 16;
      arrow.moveTo(19, tip);
      arrow.lineTo(15, base);
      arrow.lineTo(23, base);
      arrow.closeSubpath();
      p.setPen(Qt::NoPen);
      p.setBrush(up ? QColor(0x2E, 0xB8, 0x4B) : QColor(0x70, 0x70, 0x78));
      p.drawPath(arrow);
      p.drawRect(QRectF(18, up ? 17 : 11, 2, 5));
      break;
    }
  }
  return QIcon(pm);
}

QPixmap OnOffStrip() {
  QPixmap pm(80, 50);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  QFont f = p.font();
  f.setBold(true);
  f.setPixelSize(14);
  p.setFont(f);
  struct Button {
    int top;
    QColor face;
    QColor text;
    const char* caption;
  } buttons[2] = {{0, QColor(0x2E, 0xB8, 0x4B), Qt::white, "ON"}, {25, QColor(0xA8, 0xA8, 0xB0), QColor(0x30, 0x30, 0x30), "OFF"}};
  for (const Button& b : buttons) {
    const QRectF r(2.5, b.top + 2.5, 75, 20);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, b.face.lighter(135));
    g.setColorAt(1, b.face.darker(110));
    p.setPen(QPen(b.face.darker(160), 1));
    p.setBrush(g);
    p.drawRoundedRect(r, 5, 5);
    p.setPen(b.text);
    p.drawText(r, Qt::AlignCenter, QString::fromLatin1(b.caption));
  }
  return pm;
}

QIcon ConnectIcon(ConnectPicture kind) {
  const int s = 20;
  QPixmap pm(s, s);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  if (kind == ConnectPicture::Terminal) {
    // A dark screen with a prompt and a cursor.
    p.setPen(QPen(QColor(0x50, 0x50, 0x58), 1));
    p.setBrush(QColor(0x20, 0x24, 0x2C));
    p.drawRoundedRect(QRectF(1.5, 2.5, 17, 14), 2, 2);
    p.setPen(QPen(QColor(0x6C, 0xE0, 0x7C), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(5, 6.5), QPointF(8, 9.5), QPointF(5, 12.5)}));
    p.drawLine(QPointF(10, 12.5), QPointF(14.5, 12.5));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x90, 0x90, 0x98));
    p.drawRect(QRectF(7, 17, 6, 1.5));
  } else {
    // A globe: a blue ball with its meridian and parallels.
    const QRectF ball(2, 2, 16, 16);
    QLinearGradient g(ball.topLeft(), ball.bottomRight());
    g.setColorAt(0, QColor(0x7C, 0xC4, 0xF4));
    g.setColorAt(1, QColor(0x1E, 0x6E, 0xC0));
    p.setPen(QPen(QColor(0x14, 0x50, 0x90), 1));
    p.setBrush(g);
    p.drawEllipse(ball);
    p.setPen(QPen(QColor(255, 255, 255, 200), 1));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(6.5, 2, 7, 16));
    p.drawLine(QPointF(10, 2), QPointF(10, 18));
    p.drawLine(QPointF(2.5, 10), QPointF(17.5, 10));
    p.drawLine(QPointF(4, 6), QPointF(16, 6));
    p.drawLine(QPointF(4, 14), QPointF(16, 14));
  }
  return QIcon(pm);
}

}  // namespace zol
