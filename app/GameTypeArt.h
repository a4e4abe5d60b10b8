#pragma once

#include <QIcon>

// The seven built-in game-type images, index 0 being the image of a plug-in
// type without an icon of its own.
constexpr int kGameTypeImageCount = 7;
QIcon GameTypeImage(int index);
