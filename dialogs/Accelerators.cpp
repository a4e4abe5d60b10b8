#include "dialogs/Accelerators.h"

namespace {

const QChar kMark = QLatin1Char('&');

// Where the accelerator's "&" stands, or -1.
qsizetype MarkPosition(const QString& caption) {
  for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != kMark)
      continue;
    if (caption[i + 1] != kMark)
      return i;
    ++i;
  }
  return -1;
}

} // namespace

std::optional<QChar> AcceleratorOf(const QString& caption) {
  const qsizetype at = MarkPosition(caption);
  if (at < 0)
    return std::nullopt;
  return caption[at + 1].toLower();
}

QString WithFreeAccelerator(const QString& caption, QSet<QChar>& taken) {
  const qsizetype at = MarkPosition(caption);
  if (at < 0)
    return caption;
  const QChar letter = caption[at + 1].toLower();
  if (!taken.contains(letter)) {
    taken.insert(letter);
    return caption;
  }
  QString plain = caption;
  plain.remove(at, 1);
  return plain;
}
