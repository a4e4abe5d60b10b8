#pragma once

#include <QChar>
#include <QSet>
#include <QString>

#include <optional>

// The accelerator letter of a caption ("&File" gives f), in lower case; "&&"
// is a plain "&", not a mark.
std::optional<QChar> AcceleratorOf(const QString& caption);

// A caption that comes from elsewhere (a game's, a plug-in's) beside the
// dialog's own: it keeps its accelerator when the letter is still free, and
// takes it; otherwise it loses the mark, so that one key never means two
// controls.
QString WithFreeAccelerator(const QString& caption, QSet<QChar>& taken);
