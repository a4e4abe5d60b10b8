#pragma once

#include <QList>
#include <QObject>
#include <QVariant>

#include <optional>
#include <string>

class TLngFile;

// Translates windows from a language file, keyed by objectName: the window's
// name is the section, "Self" its title, and each control, action, menu or tab
// page it owns is a key of its own; tree headers are keyed
// "<tree>.Columns[<i>]". Every text the file lacks is written into it first,
// so an incomplete file grows into a complete template. An object with the
// property kSkipProperty set is left alone (for a window: only its title).
class TLngINISupp {
public:
  static constexpr const char* kSkipProperty = "lngSkip";
  // Keeps a text out of language files: one the program sets at run time, or
  // a fixed one (a window's fixed title, a "#" button).
  static void Exclude(QObject* object) { object->setProperty(kSkipProperty, true); }

  // Only the name part of the setting counts; the file is always the one in
  // the program folder. An empty setting clears the file name.
  void SetFileName(const std::string& setting);
  const std::string& FileName() const { return fileName_; }

  // Translates the given windows (and other top-level objects), in the order
  // they were made. Without a file name nothing happens. Gives the write error
  // when the template could not grow (the texts the file has are applied all
  // the same), or why the file is not taken as a language file (then nothing
  // happens).
  std::optional<std::string> Translate(const QList<QObject*>& topLevels) const;

private:
  std::string fileName_;
};
