#pragma once

#include <QIcon>
#include <QImage>

// The common tray icon's three states, one shape in traffic-light colours:
// 0 no server counted (grey), 1 servers online but nobody playing (yellow),
// 2 somebody playing (green). Any other state gives an empty icon.
QIcon TrayStateImage(int state);

// A digit of the player counter: (8 * scale) x (16 * scale) pixels, green on
// pure red (255, 0, 0) and no other colours, so the red can be keyed out.
// Null for anything but 0..9 or a scale outside 1..256.
QImage DigitGlyph(int digit, int scale);
