#pragma once

#include <QList>
#include <QRect>

// Keeps a window on a screen: a stored place and size may come from other
// screens or another scale. The screen that shows most of `window` takes it,
// or the primary one when none shows any; the size is cut to that screen's
// available area, then the window moves inside it.
QRect FitToScreens(const QRect& window, const QList<QRect>& available, qsizetype primary);
// The same over the screens as they are now.
QRect FitToScreens(const QRect& window);
