// Sondrel's icon: a loudspeaker sending out two waves, drawn in code.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace sondrel {

// The icon at `size` x `size` pixels.
QPixmap DrawSondrelIcon(int size);

// The window's icon, with its 16 x 16 and 32 x 32 pictures.
QIcon SondrelIcon();

} // namespace sondrel
