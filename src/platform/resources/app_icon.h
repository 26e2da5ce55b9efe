// The program's icon, drawn by code at any size: the desktop's icon files
// are made from it at build time and the windows carry it at run time.
#pragma once

class QIcon;
class QImage;

namespace tnx::res {

// The icon as a square image of `size` pixels with a transparent background.
QImage drawAppIcon(int size);

// The icon at the sizes windows and task bars ask for.
QIcon appIcon();

}  // namespace tnx::res
