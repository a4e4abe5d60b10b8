#include "dialogs/LngINISupp.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVariant>
#include <QWidget>

#include <functional>
#include <utility>
#include <vector>

#include "config/LngFile.h"
#include "config/LngIndexedKey.h"

namespace {

const char kSelfKey[] = "Self";
const char kMissingSelf[] = "ERROR";
const char kColumnsWord[] = "Columns";

std::string Name(const QObject* object) {
  return object->objectName().toStdString();
}

bool Skipped(const QObject* object) {
  return object->property(TLngINISupp::kSkipProperty).toBool();
}

// One translatable text of a control: its key and how to read and set it.
struct TextSlot {
  std::string key;
  std::function<QString()> get;
  std::function<void(const QString&)> set;
};

// The texts a control carries, keyed by its name; tab pages are keyed by the
// page's name. Any other class carries none.
std::vector<TextSlot> SlotsOf(QObject* object) {
  const std::string name = Name(object);
  if (auto* button = qobject_cast<QAbstractButton*>(object))
    return {{name, [=] { return button->text(); }, [=](const QString& t) { button->setText(t); }}};
  if (auto* label = qobject_cast<QLabel*>(object))
    return {{name, [=] { return label->text(); }, [=](const QString& t) { label->setText(t); }}};
  if (auto* box = qobject_cast<QGroupBox*>(object))
    return {{name, [=] { return box->title(); }, [=](const QString& t) { box->setTitle(t); }}};
  if (auto* menu = qobject_cast<QMenu*>(object))
    return {{name, [=] { return menu->title(); }, [=](const QString& t) { menu->setTitle(t); }}};
  if (auto* dialog = qobject_cast<QFileDialog*>(object))
    return {{name, [=] { return dialog->windowTitle(); },
             [=](const QString& t) { dialog->setWindowTitle(t); }}};
  if (auto* action = qobject_cast<QAction*>(object)) {
    if (action->isSeparator())
      return {};
    return {{name, [=] { return action->text(); }, [=](const QString& t) { action->setText(t); }}};
  }
  if (auto* tabs = qobject_cast<QTabWidget*>(object)) {
    std::vector<TextSlot> texts;
    for (int i = 0; i < tabs->count(); ++i) {
      QWidget* page = tabs->widget(i);
      if (Skipped(page))
        continue;
      texts.push_back({Name(page), [=] { return tabs->tabText(tabs->indexOf(page)); },
                       [=](const QString& t) { tabs->setTabText(tabs->indexOf(page), t); }});
    }
    return texts;
  }
  if (auto* tree = qobject_cast<QTreeWidget*>(object)) {
    std::vector<TextSlot> texts;
    QTreeWidgetItem* header = tree->headerItem();
    for (int i = 0; i < tree->columnCount(); ++i)
      texts.push_back({IndexedKey(name, kColumnsWord, static_cast<std::size_t>(i)),
                       [=] { return header->text(i); },
                       [=](const QString& t) { header->setText(i, t); }});
    return texts;
  }
  return {};
}

// A window is a window of its own, not a part of the one that holds it,
// except for its menus, which are windows only while they pop up.
bool OwnWindow(const QObject* object) {
  auto* widget = qobject_cast<const QWidget*>(object);
  return widget && widget->isWindow() && !qobject_cast<const QMenu*>(widget) &&
         !qobject_cast<const QFileDialog*>(widget);
}

// Widgets whose children are Qt's own parts (a tab bar's scroll buttons, a
// view's header and scroll bars, an edit's actions), never our controls.
bool BuiltOfQtParts(const QObject* object) {
  return qobject_cast<const QTabBar*>(object) || qobject_cast<const QAbstractItemView*>(object) ||
         qobject_cast<const QComboBox*>(object) || qobject_cast<const QAbstractSpinBox*>(object) ||
         qobject_cast<const QLineEdit*>(object) || qobject_cast<const QAbstractButton*>(object) ||
         qobject_cast<const QLabel*>(object) || qobject_cast<const QFileDialog*>(object);
}

void CollectOwned(QObject* parent, std::vector<QObject*>& owned) {
  for (QObject* child : parent->children()) {
    if (OwnWindow(child))
      continue;
    owned.push_back(child);
    if (!BuiltOfQtParts(child))
      CollectOwned(child, owned);
  }
}

// The controls a top-level object owns, however deeply nested, that carry
// texts and are not excluded.
std::vector<QObject*> OwnedControls(QObject* topLevel) {
  std::vector<QObject*> owned;
  CollectOwned(topLevel, owned);
  std::vector<QObject*> controls;
  for (QObject* object : owned)
    if (!Skipped(object) && !object->objectName().isEmpty() &&
        !object->objectName().startsWith(QLatin1String("qt_")))
      controls.push_back(object);
  return controls;
}

QWidget* TranslatedWindow(QObject* topLevel) {
  auto* window = qobject_cast<QWidget*>(topLevel);
  return window && !Skipped(window) ? window : nullptr;
}

void GrowTemplate(TLngFile& file, const QList<QObject*>& topLevels) {
  for (QObject* topLevel : topLevels) {
    const std::string section = Name(topLevel);
    if (QWidget* window = TranslatedWindow(topLevel))
      file.Ensure(section, kSelfKey, window->windowTitle().toStdString());
    for (QObject* control : OwnedControls(topLevel))
      for (const TextSlot& slot : SlotsOf(control))
        file.Ensure(section, slot.key, slot.get().toStdString());
  }
}

// Texts are applied by exact names, in the file's order.
void ApplyTexts(const TLngFile& file, const QList<QObject*>& topLevels) {
  for (const std::string& section : file.Sections()) {
    for (QObject* topLevel : topLevels) {
      if (Name(topLevel) != section)
        continue;
      if (QWidget* window = TranslatedWindow(topLevel))
        window->setWindowTitle(QString::fromStdString(file.Read(section, kSelfKey, kMissingSelf)));
      const std::vector<QObject*> controls = OwnedControls(topLevel);
      for (const std::string& key : file.Keys(section)) {
        const QString text = QString::fromStdString(file.Read(section, key, ""));
        for (QObject* control : controls) {
          if (auto* tree = qobject_cast<QTreeWidget*>(control)) {
            // Any word between dot and bracket will do; an index past the
            // last column changes nothing.
            std::optional<std::size_t> index = ParseIndexedKey(key, Name(tree));
            if (index && *index < static_cast<std::size_t>(tree->columnCount()))
              tree->headerItem()->setText(static_cast<int>(*index), text);
            continue;
          }
          for (const TextSlot& slot : SlotsOf(control))
            if (slot.key == key)
              slot.set(text);
        }
      }
    }
  }
}

} // namespace

void TLngINISupp::SetFileName(const std::string& setting) {
  fileName_ = LanguageFilePath(setting);
}

std::optional<std::string> TLngINISupp::Translate(const QList<QObject*>& topLevels) const {
  if (fileName_.empty())
    return std::nullopt;
  TLngFile file(fileName_);
  // A file that is no language file is left alone: the built-in texts stay.
  if (file.Problem())
    return file.Problem();
  // An installed file is used as it is: growing it would write a file that
  // every user shares.
  std::optional<std::string> writeError;
  if (LanguageFileGrows(fileName_)) {
    GrowTemplate(file, topLevels);
    writeError = file.Save();
  }
  ApplyTexts(file, topLevels);
  return writeError;
}
