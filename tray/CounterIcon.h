#pragma once

#include <QIcon>
#include <QImage>

#include <optional>

// The player counter the tray shows instead of an image: green digits on pure
// red, the red keyed out.

// A (16 * scale) square of pure red with the number, clamped to 0..99: one
// digit centred, two digits side by side.
QImage CounterBitmap(int number, int scale);

// The bitmap with every pixel of its bottom-left pixel's colour made fully
// transparent; null for a null or empty bitmap.
QImage WithTransparentKey(const QImage& bitmap);

// The counter at 16, 32 and 48 pixels (and centred unscaled in 20 to 24
// pixels); nothing when a bitmap cannot be made.
std::optional<QIcon> CounterIcon(int number);
