// Every window in the shipped languages: the English template is what the
// windows grow, German covers all of it, and no window shows a text that did
// not come from the language file.
#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/ServerView.h"
#include "config/LngFile.h"
#include "config/MsgINISupp.h"
#include "dialogs/Accelerators.h"
#include "dialogs/LngINISupp.h"
#include "dialogs/serverprop.h"
#include "history/HistoryWindow.h"
#include "model/ServerProperties.h"
#include "tests/app/FrmMainFixture.h"
#include "tests/dialogs/ModalScript.h"
#include "util/file_io.h"

namespace {

const std::string kLangDir = SKARVEL_LANG_DIR;
const std::string kMessages = "Project_Messages";
const QString kMark = QStringLiteral("\u00AB"); // how the marked file starts every text

template <class T> T& In(QWidget& window, const char* name) {
  T* child = window.findChild<T*>(QString::fromLatin1(name));
  if (!child)
    throw std::runtime_error(std::string("no control ") + name);
  return *child;
}

// A text a person reads on a window, and what shows it.
struct ShownText {
  QString owner;
  QString text;
  const QObject* group;         // accelerators must differ within one group
  bool fromLanguageFile = true; // else data, such as a game's caption
};

bool Excluded(const QObject* object) {
  return object->property(TLngINISupp::kSkipProperty).toBool();
}

// The window an object is part of: a menu belongs to the window it pops up from.
const QWidget* WindowOf(const QObject* object) {
  if (auto* action = qobject_cast<const QAction*>(object))
    object = action->parent();
  auto* widget = qobject_cast<const QWidget*>(object);
  if (auto* menu = qobject_cast<const QMenu*>(widget))
    widget = menu->parentWidget();
  return widget ? widget->window() : nullptr;
}

// The captions of one window as it shows them now, found by walking its
// widgets and actions, independently of how the language file is applied.
// Data (edits, combo boxes, list rows) carries no caption; neither do the
// controls the program marks to keep their texts. Only the page on view
// counts for a tab control's controls, as a person sees one page at a time.
std::vector<ShownText> Captions(QWidget& window) {
  std::vector<ShownText> texts;
  auto add = [&](const QObject* owner, const QString& text, const QObject* group) {
    if (!text.isEmpty())
      texts.push_back({owner->objectName(), text, group});
  };
  if (!Excluded(&window))
    add(&window, window.windowTitle(), nullptr);
  QList<QObject*> objects = window.findChildren<QObject*>();
  for (QObject* object : objects) {
    if (Excluded(object) || WindowOf(object) != &window)
      continue;
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget && !qobject_cast<QMenu*>(widget) && !widget->isVisibleTo(&window))
      continue;
    if (auto* button = qobject_cast<QAbstractButton*>(object))
      add(button, button->text(), &window);
    else if (auto* label = qobject_cast<QLabel*>(object))
      add(label, label->text(), &window);
    else if (auto* box = qobject_cast<QGroupBox*>(object))
      add(box, box->title(), &window);
    else if (auto* tabs = qobject_cast<QTabWidget*>(object))
      for (int i = 0; i < tabs->count(); ++i)
        add(tabs->widget(i), tabs->tabText(i), &window);
    else if (auto* bar = qobject_cast<QTabBar*>(object);
             bar && !qobject_cast<QTabWidget*>(bar->parent()))
      for (int i = 0; i < bar->count(); ++i)
        texts.push_back({bar->objectName(), bar->tabText(i), &window, false});
    else if (auto* tree = qobject_cast<QTreeWidget*>(object))
      for (int i = 0; i < tree->columnCount(); ++i)
        add(tree, tree->headerItem()->text(i), nullptr);
    else if (auto* menu = qobject_cast<QMenu*>(object))
      add(menu, menu->title(), window.findChild<QMenuBar*>());
    else if (auto* action = qobject_cast<QAction*>(object))
      add(action, action->text(),
          action->parent() == &window ? window.findChild<QMenuBar*>() : action->parent());
  }
  return texts;
}

// The window's menu actions are made by the window and put into its menus.
void GroupMenuActions(QWidget& window, std::vector<ShownText>& texts) {
  for (QMenu* menu : window.findChildren<QMenu*>())
    for (QAction* action : menu->actions())
      for (ShownText& shown : texts)
        if (shown.owner == action->objectName())
          shown.group = menu;
}

std::vector<ShownText> CaptionsWithGroups(QWidget& window) {
  std::vector<ShownText> texts = Captions(window);
  GroupMenuActions(window, texts);
  return texts;
}

// Fails when two captions of one group share an accelerator.
void ExpectUniqueAccelerators(const std::vector<ShownText>& texts, const std::string& where) {
  std::map<std::pair<const QObject*, QChar>, QString> seen;
  for (const ShownText& shown : texts) {
    std::optional<QChar> key = AcceleratorOf(shown.text);
    if (!key || !shown.group)
      continue;
    auto [at, added] = seen.emplace(std::make_pair(shown.group, *key), shown.owner);
    EXPECT_TRUE(added) << where << ": " << at->second.toStdString() << " and "
                       << shown.owner.toStdString() << " both use &" << QString(*key).toStdString();
  }
}

// Fails when a visible label or button is narrower than its caption.
void ExpectNoCaptionCut(QWidget& window, const std::string& where) {
  for (QWidget* widget : window.findChildren<QWidget*>()) {
    if (!widget->isVisibleTo(&window) || widget->window() != &window)
      continue;
    if (!qobject_cast<QLabel*>(widget) && !qobject_cast<QAbstractButton*>(widget))
      continue;
    if (widget->minimumWidth() == widget->maximumWidth())
      continue; // a square "#" or an arrow: small by design
    EXPECT_GE(widget->width(), widget->minimumSizeHint().width())
        << where << ": " << widget->objectName().toStdString() << " is cut";
  }
}

// A language file where every text is its own key in guillemets.
std::string MarkedCopyOf(const TLngFile& file) {
  std::ostringstream marked;
  for (const std::string& section : file.Sections()) {
    marked << "[" << section << "]\n";
    for (const std::string& key : file.Keys(section))
      marked << key << "=\xC2\xAB" << key << "\xC2\xBB\n";
  }
  return marked.str();
}

// The message keys the sources look up: Lookup("Key", …) and the wrappers
// named Message that pass on to it.
std::set<std::string> MessageKeysOfTheSources() {
  const QRegularExpression call(
      QString::fromLatin1(R"re((?:Lookup|Message)\(\s*"([A-Za-z]+)",\s*")re"));
  std::set<std::string> keys;
  for (const char* folder :
       {"app", "config", "dialogs", "games", "history", "model", "poll", "tray", "update"})
    for (const auto& entry : std::filesystem::recursive_directory_iterator(
             std::string(SKARVEL_SOURCE_DIR) + "/" + folder)) {
      if (entry.path().extension() != ".cpp")
        continue;
      const QString text =
          QString::fromStdString(ReadWholeFile(entry.path().string()).value_or(""));
      for (const QRegularExpressionMatch& match : call.globalMatch(text))
        keys.insert(match.captured(1).toStdString());
    }
  return keys;
}

class FrmMainLanguageTest : public FrmMainTest {
protected:
  // Opens every window the program has, as a user would reach it, and hands
  // each one to `inspect` while it is on the screen; the settings dialog once
  // per page.
  void VisitEveryWindow(TfrmMain& window, const std::function<void(QWidget&)>& inspect) {
    inspect(window);
    TModalScript script;
    script.Then([&](QWidget& settings) {
      auto& pages = In<QTabWidget>(settings, "PageControl1");
      for (int i = 0; i < pages.count(); ++i) {
        pages.setCurrentIndex(i);
        inspect(settings);
      }
      pages.setCurrentIndex(0);
      // The address dialog opens from here once this action has returned,
      // so the script is free to answer it.
      QTimer::singleShot(0, &settings, [&settings] {
        In<QAbstractButton>(settings, "btAdd").click();
        In<QAbstractButton>(settings, "btCancel").click();
      });
    });
    script.Then([&](QWidget& address) {
      inspect(address);
      In<QAbstractButton>(address, "btCancel").click();
    });
    window.mnSettingsClick();
    script.Then([&](QWidget& properties) {
      inspect(properties);
      In<QAbstractButton>(properties, "btCancel").click();
    });
    TServerProperties edited;
    EditServerProperties(edited, "127.0.0.1:27960", *dm_, &window);
    // The history window, made as its menu entry makes it.
    THistoryWindow history(&window);
    history.show();
    inspect(history);
    history.close();
    EXPECT_EQ(script.Pending(), 0);
    EXPECT_EQ(script.Unanswered(), 0);
  }

  std::string InHome(const std::string& name) { return home_.file(name); }
  void ShipIntoHome(const std::string& name) {
    home_.write(name, ReadWholeFile(kLangDir + "/" + name).value_or(""));
  }
};

TEST_F(FrmMainLanguageTest, TheWindowsGrowExactlyTheShippedEnglishTemplate) {
  TfrmMain& window = Start(kShown);
  VisitEveryWindow(window, [](QWidget&) {});
  const TLngFile grown(InHome("English.lng"));
  const TLngFile shipped(kLangDir + "/English.lng");
  ASSERT_TRUE(grown.Exists());
  // Kept for whoever has to bring the shipped template up to date.
  const std::string kept = ::testing::TempDir() + "English.lng.grown";
  std::filesystem::copy_file(InHome("English.lng"), kept,
                             std::filesystem::copy_options::overwrite_existing);
  std::vector<std::string> shippedWindows = shipped.Sections();
  std::erase(shippedWindows, kMessages);
  EXPECT_EQ(grown.Sections(), shippedWindows)
      << "lang/English.lng is out of date; the windows now grow " << kept;
  for (const std::string& section : grown.Sections()) {
    ASSERT_EQ(grown.Keys(section), shipped.Keys(section)) << section;
    for (const std::string& key : grown.Keys(section))
      EXPECT_EQ(grown.Read(section, key, "?"), shipped.Read(section, key, "!"))
          << section << "." << key;
  }
  EXPECT_FALSE(grown.Has(kMessages, "NoServers")) << "messages are never written";
}

TEST_F(FrmMainLanguageTest, TheShippedEnglishListsEveryMessageOfTheSources) {
  const TLngFile shipped(kLangDir + "/English.lng");
  const std::set<std::string> used = MessageKeysOfTheSources();
  ASSERT_GT(used.size(), 20U);
  for (const std::string& key : used)
    EXPECT_TRUE(shipped.Has(kMessages, key)) << key;
  for (const std::string& key : shipped.Keys(kMessages))
    EXPECT_TRUE(used.count(key) || key == "CannotCreateIni") << key << " is not used any more";
}

TEST_F(FrmMainLanguageTest, EveryCaptionOfEveryWindowComesFromTheFile) {
  home_.write("Marked.lng", MarkedCopyOf(TLngFile(kLangDir + "/English.lng")));
  TfrmMain& window = Start(std::string(kShown) + "Language=Marked.lng\n");
  const std::string before = ReadWholeFile(InHome("Marked.lng")).value_or("");
  int windows = 0;
  VisitEveryWindow(window, [&](QWidget& shown) {
    ++windows;
    const std::vector<ShownText> texts = Captions(shown);
    EXPECT_GE(texts.size(), 3U) << shown.objectName().toStdString();
    for (const ShownText& caption : texts)
      EXPECT_TRUE(!caption.fromLanguageFile || caption.text.startsWith(kMark))
          << shown.objectName().toStdString() << "." << caption.owner.toStdString() << " shows \""
          << caption.text.toStdString() << "\"";
  });
  EXPECT_EQ(windows, 1 + 4 + 2 + 1);
  EXPECT_EQ(ReadWholeFile(InHome("Marked.lng")), before) << "the file had every key";
  // The messages too: the empty server view's hint and the tray's tooltip.
  const QLabel* hint = window.findChild<TServerView*>("lvServers")->findChild<QLabel*>();
  ASSERT_NE(hint, nullptr);
  EXPECT_TRUE(hint->text().startsWith(kMark)) << hint->text().toStdString();
  EXPECT_EQ(Lookup("NoServers", "No servers"), "\xC2\xABNoServers\xC2\xBB");
}

class ShippedLanguageTest : public FrmMainLanguageTest,
                            public ::testing::WithParamInterface<const char*> {};

TEST_P(ShippedLanguageTest, HasEveryKeyAndUniqueAcceleratorsInEveryMenuAndDialog) {
  const std::string name = GetParam();
  ShipIntoHome(name);
  const std::string shipped = ReadWholeFile(InHome(name)).value_or("");
  TfrmMain& window = Start(std::string(kShown) + "Language=" + name + "\n");
  VisitEveryWindow(window, [&](QWidget& shown) {
    const std::string where = name + " " + shown.objectName().toStdString();
    ExpectUniqueAccelerators(CaptionsWithGroups(shown), where);
    ExpectNoCaptionCut(shown, where);
  });
  EXPECT_EQ(ReadWholeFile(InHome(name)), shipped) << name << " lacked a key the windows have";
  const TLngFile english(kLangDir + "/English.lng");
  const TLngFile translated(InHome(name));
  for (const std::string& key : english.Keys(kMessages))
    EXPECT_TRUE(translated.Has(kMessages, key)) << name << " lacks the message " << key;
}

INSTANTIATE_TEST_SUITE_P(Shipped, ShippedLanguageTest,
                         ::testing::Values("English.lng", "Deutsch.lng"),
                         [](const ::testing::TestParamInfo<const char*>& language) {
                           std::string name = language.param;
                           return name.substr(0, name.find('.'));
                         });

TEST_F(FrmMainLanguageTest, ChangingTheLanguageInTheSettingsAppliesItAtOnce) {
  ShipIntoHome("English.lng");
  ShipIntoHome("Deutsch.lng");
  TfrmMain& window = Start(kShown);
  const QString english = window.findChild<QAction*>("mnSettings")->text();
  TModalScript script;
  script.Then([](QWidget& settings) {
    auto& languages = In<QComboBox>(settings, "coLang");
    const int german = languages.findText(QStringLiteral("Deutsch.lng"));
    ASSERT_GE(german, 0);
    languages.setCurrentIndex(german);
    In<QAbstractButton>(settings, "btOk").click();
  });
  window.mnSettingsClick();
  const TLngFile german(kLangDir + "/Deutsch.lng");
  EXPECT_EQ(window.findChild<QAction*>("mnSettings")->text().toStdString(),
            german.Read("frmMain", "mnSettings", "?"));
  EXPECT_NE(window.findChild<QAction*>("mnSettings")->text(), english);
  EXPECT_EQ(window.findChild<QWidget*>("frmSettings")->windowTitle().toStdString(),
            german.Read("frmSettings", "Self", "?"));
  EXPECT_EQ(Lookup("NoServers", "No servers"), german.Read(kMessages, "NoServers", "?"));
  // The dialog made in English makes room for the longer German captions.
  script.Then([](QWidget& settings) {
    In<QTabWidget>(settings, "PageControl1").setCurrentIndex(2);
    ExpectNoCaptionCut(settings, "the settings after the change");
    In<QAbstractButton>(settings, "btCancel").click();
  });
  window.mnSettingsClick();
  EXPECT_EQ(script.Pending(), 0);
}

TEST_F(FrmMainLanguageTest, AReadOnlyIncompleteFileIsReportedOnceAndItsTextsStillApply) {
  home_.write("Teil.lng", "[frmMain]\nmnGo=&Los!\n");
  std::filesystem::permissions(InHome("Teil.lng"), std::filesystem::perms::owner_read);
  TModalScript script;
  script.ThenAccept();
  TfrmMain& window = Start(std::string(kShown) + "Language=Teil.lng\n");
  EXPECT_EQ(script.MessageTexts(),
            QStringList{QString::fromStdString("Unable to write to " + InHome("Teil.lng"))});
  EXPECT_EQ(window.findChild<QAction*>("mnGo")->text(), QStringLiteral("&Los!"));
  EXPECT_EQ(window.findChild<QAction*>("mnRefresh")->text(), QStringLiteral("&Refresh"));
  EXPECT_EQ(ReadWholeFile(InHome("Teil.lng")), "[frmMain]\nmnGo=&Los!\n");
}

} // namespace
