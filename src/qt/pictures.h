// The console's own drawings: the ten state pictures of the icon view, the
// program icon, the splash picture, the tool-button pictures, the ON / OFF
// strip and the connect button's pictures, all drawn in code.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace zol {

// State picture 0..9: PING normal / caution / abnormal, temperature normal
// / caution / alarm, power OFF / ON, time-out, unknown.
QPixmap StatePicture(int image, int size = 32);
QIcon ProgramIcon();
QPixmap SplashPicture(const QString& version);

// Picture of the device tree's image list, 16 by 16, by position: 0 group
// folder, 1 unregistered device, 2 unregistered group, 3 device, 4
// magnifier, 5 outlets, 6 thermometer, 7 network, 8 tools, 11 notebook with
// pen, 12 note pad, 18 to 21 devices with a caution, an alarm, a time-out,
// not heard; the other positions (9, 10, 13 to 17) are blank.
QPixmap TreePicture(int index);
constexpr int kTreePictures = 22;

enum class ToolPicture {
  Start, Stop, Settings, Power, Ping, Temp, Ok, Caution, Ng, Unknown, All, Chart,
  ClearChart, HideList, ShowList
};
QIcon ToolIcon(ToolPicture kind);

// The outlets' ON / OFF picture strip: 80 x 50 pixels, the ON button (green,
// "ON") in rows 0-24, the OFF button (grey, "OFF") in rows 25-49, on a
// transparent ground.
QPixmap OnOffStrip();

// The connect button's two pictures: a terminal for a telnet console, a
// globe for a web page.
enum class ConnectPicture { Terminal, Globe };
QIcon ConnectIcon(ConnectPicture kind);

}  // namespace zol
