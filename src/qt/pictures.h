// The console's own drawings: the ten state pictures of the icon view, the
// program icon, the splash picture and the tool-button pictures, all drawn
// in code.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace zol {

// State picture 0..9: PING normal / caution / abnormal, temperature normal
// / caution / alarm, power OFF / ON, time-out, unknown.
QPixmap StatePicture(int image, int size = 32);
QIcon ProgramIcon();
QPixmap SplashPicture(const QString& version);

enum class ToolPicture { Start, Stop, Settings, Power, Ping, Temp, Ok, Caution, Ng, Unknown, All, Chart, Folder };
QIcon ToolIcon(ToolPicture kind);

}  // namespace zol
