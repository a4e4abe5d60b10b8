#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config/LngFile.h"
#include "dialogs/LngINISupp.h"
#include "tests/support/ScratchProgramFolder.h"
#include "util/data_folders.h"

namespace {

using namespace std::string_literals;

template <class T> T* Named(T* object, const char* name) {
  object->setObjectName(name);
  return object;
}

// A small window with one control of each translated kind, some nested,
// some excluded, and a dialog of its own.
struct TestWindow {
  TestWindow() {
    window.reset(Named(new QDialog, "frmTest"));
    QDialog* owner = window.get();
    owner->setWindowTitle("Test window");
    auto* layout = new QVBoxLayout(owner);
    ok = Named(new QPushButton("OK", owner), "btOk");
    layout->addWidget(ok);
    tabs = Named(new QTabWidget(owner), "pcPages");
    layout->addWidget(tabs);
    auto* page = Named(new QWidget, "tsApp");
    tabs->addTab(page, "Application");
    group = Named(new QGroupBox("Tray", page), "gbTray");
    stats = Named(new QCheckBox("Log stats", group), "chStat");
    skipped = Named(new QLabel("Quake 3", page), "laGameTitle");
    skipped->setProperty(TLngINISupp::kSkipProperty, true);
    Named(new QLineEdit("typed", page), "edName");
    tree = Named(new QTreeWidget(owner), "lvAddr");
    tree->setHeaderLabels({"Address", "Game", "Description"});
    menu = Named(new QMenu("File", owner), "mnuFile");
    exit = Named(menu->addAction("Exit"), "mnExit");
    Named(menu->addSeparator(), "mnSep");
    inner = Named(new QDialog(owner), "frmInner");
    inner->setWindowTitle("Inner");
    innerLabel = Named(new QLabel("Inner label", inner), "laInner");
  }
  QList<QObject*> TopLevels() const { return {window.get(), inner}; }

  std::unique_ptr<QDialog> window;
  QPushButton* ok;
  QTabWidget* tabs;
  QGroupBox* group;
  QCheckBox* stats;
  QLabel* skipped;
  QTreeWidget* tree;
  QMenu* menu;
  QAction* exit;
  QDialog* inner;
  QLabel* innerLabel;
};

class LngINISuppTest : public ::testing::Test {
protected:
  void SetUp() override { lis.SetFileName("Test.lng"); }
  std::string Path() const { return tmp.file("Test.lng"); }

  ScratchProgramFolder tmp;
  TestWindow w;
  TLngINISupp lis;
};

TEST_F(LngINISuppTest, AMissingFileGrowsIntoTheTemplateOfEveryText) {
  EXPECT_EQ(lis.FileName(), Path());
  EXPECT_EQ(lis.Translate(w.TopLevels()), std::nullopt);

  TLngFile file(Path());
  EXPECT_EQ(file.Sections(), (std::vector<std::string>{"frmTest", "frmInner"}));
  EXPECT_EQ(
      file.Keys("frmTest"),
      (std::vector<std::string>{"Self", "btOk", "tsApp", "gbTray", "chStat", "lvAddr.Columns[0]",
                                "lvAddr.Columns[1]", "lvAddr.Columns[2]", "mnuFile", "mnExit"}));
  EXPECT_EQ(file.Keys("frmInner"), (std::vector<std::string>{"Self", "laInner"}));
  EXPECT_EQ(file.Read("frmTest", "tsApp", "?"), "Application");
  EXPECT_EQ(file.Read("frmTest", "lvAddr.Columns[2]", "?"), "Description");
  EXPECT_EQ(file.Read("frmTest", "mnuFile", "?"), "File");

  const std::string written = tmp.read("Test.lng");
  EXPECT_EQ(lis.Translate(w.TopLevels()), std::nullopt); // a second run changes nothing
  EXPECT_EQ(tmp.read("Test.lng"), written);
  EXPECT_EQ(w.window->windowTitle(), "Test window");
  EXPECT_EQ(w.tree->headerItem()->text(1), "Game");
}

TEST_F(LngINISuppTest, AppliesTextsByExactNames) {
  tmp.write("Test.lng", "[frmTest]\n"
                        "Self=Testfenster\n"
                        "btOk=Ja\n"
                        "chstat=not this one: letter case differs\n"
                        "tsApp=Programm\n"
                        "gbTray=Taskleiste\n"
                        "lvAddr.Columns[0]=Adresse\n"
                        "lvAddr.Columns[1]=Spiel?\n"
                        "lvAddr.Columns[2]=Beschreibung\n"
                        "lvAddr.Spalten[1]=Spiel\n"
                        "lvAddr.Columns[]=no digit\n"
                        "lvAddr.Columns[7]=past the last column\n"
                        "mnuFile=Datei\n"
                        "mnExit=Beenden\n"
                        "laGameTitle=excluded\n"
                        "edName=not translated\n"
                        "laNobody=no such control\n"
                        "[FRMINNER]\n"
                        "laInner=section spelled in another case\n"
                        "[frmNobody]\n"
                        "btOk=no such window\n");
  EXPECT_EQ(lis.Translate(w.TopLevels()), std::nullopt);

  struct Shown {
    QString actual, expected;
  };
  const std::vector<Shown> shown = {
      {w.window->windowTitle(), "Testfenster"},
      {w.ok->text(), "Ja"},
      {w.stats->text(), "Log stats"},
      {w.tabs->tabText(0), "Programm"},
      {w.group->title(), "Taskleiste"},
      {w.tree->headerItem()->text(0), "Adresse"},
      {w.tree->headerItem()->text(1), "Spiel"},
      {w.tree->headerItem()->text(2), "Beschreibung"},
      {w.menu->title(), "Datei"},
      {w.exit->text(), "Beenden"},
      {w.skipped->text(), "Quake 3"},
      {w.innerLabel->text(), "Inner label"},
      {w.inner->windowTitle(), "Inner"},
  };
  for (const Shown& s : shown)
    EXPECT_EQ(s.actual.toStdString(), s.expected.toStdString());

  // Keys present in another letter case are not written again.
  TLngFile file(Path());
  EXPECT_EQ(file.Read("frmTest", "chStat", "?"), "not this one: letter case differs");
  EXPECT_EQ(file.Keys("frmInner").size(), 2u);
}

TEST_F(LngINISuppTest, AMissingKeyComesBackWithTheTextShownNow) {
  tmp.write("Test.lng", "[frmTest]\nSelf=Testfenster\nbtOk=Ja\n");
  ASSERT_EQ(lis.Translate(w.TopLevels()), std::nullopt);
  w.stats->setText("Statistik");
  std::string complete = tmp.read("Test.lng");

  TLngFile file(Path());
  EXPECT_EQ(file.Read("frmTest", "chStat", "?"), "Log stats");
  // Drop one key; the next run puts back what the control shows.
  std::string without = complete;
  without.erase(without.find("chStat="), std::string("chStat=Log stats\n").size());
  tmp.write("Test.lng", without);
  ASSERT_EQ(lis.Translate(w.TopLevels()), std::nullopt);
  TLngFile again(Path());
  EXPECT_EQ(again.Read("frmTest", "chStat", "?"), "Statistik");
  EXPECT_EQ(again.Read("frmTest", "btOk", "?"), "Ja");
  std::vector<std::string> before = file.Keys("frmTest"), after = again.Keys("frmTest");
  std::sort(before.begin(), before.end());
  std::sort(after.begin(), after.end());
  EXPECT_EQ(after, before);
}

TEST_F(LngINISuppTest, AnExcludedWindowKeepsOnlyItsTitle) {
  tmp.write("Test.lng", "[frmTest]\nbtOk=Ja\n");
  w.window->setProperty(TLngINISupp::kSkipProperty, true);
  ASSERT_EQ(lis.Translate(w.TopLevels()), std::nullopt);
  EXPECT_EQ(w.window->windowTitle(), "Test window");
  EXPECT_EQ(w.ok->text(), "Ja");
  TLngFile file(Path());
  EXPECT_FALSE(file.Has("frmTest", "Self"));
  EXPECT_TRUE(file.Has("frmTest", "chStat"));
}

// An installed language file is used as it is: it is shared by every user
// and never grown, not even by root, who could write it.
TEST_F(LngINISuppTest, AnInstalledFileTranslatesButNeverGrows) {
  TempDir installed;
  SetInstalledFolder(TDataKind::Language, installed.path().string());
  // Windows-1252, as an old file: still not converted on disk.
  const std::string shipped = "[frmTest]\nbtOk=Ja\nchStat=\xC4nderungen\n";
  installed.write("Test.lng", shipped);
  lis.SetFileName("Test.lng");
  EXPECT_EQ(lis.FileName(), installed.file("Test.lng"));
  EXPECT_EQ(lis.Translate(w.TopLevels()), std::nullopt);
  EXPECT_EQ(w.ok->text(), "Ja");
  EXPECT_EQ(w.stats->text(), "Änderungen");
  EXPECT_EQ(installed.read("Test.lng"), shipped);
  EXPECT_FALSE(tmp.exists("Test.lng"));
  SetInstalledFolder(TDataKind::Language, "");
}

// A UTF-8 file with a Windows-1252 line, and the same file as Windows
// editors save UTF-16: the window reads them all, and growing them keeps
// every line it had as it was.
TEST_F(LngINISuppTest, MixedAndUtf16FilesTranslateAndGrowIntact) {
  const std::string mixed = "[frmTest]\nbtOk=&Hinzuf\xC3\xBCgen\nchStat=F\xFCr alle\n";
  const std::string utf16 = "\xFF\xFE[\0f\0r\0m\0T\0e\0s\0t\0]\0\n\0"
                            "b\0t\0O\0k\0=\0&\0H\0i\0n\0z\0u\0f\0\xFC\0g\0e\0n\0\n\0"
                            "c\0h\0S\0t\0a\0t\0=\0F\0\xFC\0r\0 \0a\0l\0l\0e\0\n\0"s;
  for (const std::string& content : {mixed, utf16}) {
    tmp.write("Test.lng", content);
    TestWindow window;
    EXPECT_EQ(lis.Translate(window.TopLevels()), std::nullopt);
    EXPECT_EQ(window.ok->text(), "&Hinzufügen");
    EXPECT_EQ(window.stats->text(), "Für alle");

    const std::string grown = tmp.read("Test.lng");
    EXPECT_EQ(grown.substr(0, content.size()), content);
    TestWindow again;
    EXPECT_EQ(lis.Translate(again.TopLevels()), std::nullopt);
    EXPECT_EQ(again.ok->text(), "&Hinzufügen");
    EXPECT_EQ(again.stats->text(), "Für alle");
    EXPECT_EQ(again.tree->headerItem()->text(2), "Description");
    EXPECT_EQ(tmp.read("Test.lng"), grown); // grown once, then complete
  }
}

TEST_F(LngINISuppTest, WithoutAFileOrAWritableFolderTheWindowKeepsWorking) {
  TLngINISupp none;
  EXPECT_EQ(none.Translate(w.TopLevels()), std::nullopt);
  EXPECT_TRUE(std::filesystem::is_empty(tmp.path()));

  std::filesystem::create_directory(tmp.path() / "Test.lng"); // cannot be read or replaced
  EXPECT_EQ(lis.Translate(w.TopLevels()),
            "Cannot use the language file " + Path() + ": Is a directory");
  EXPECT_EQ(w.ok->text(), "OK");
  EXPECT_EQ(w.window->windowTitle(), "Test window");
}

} // namespace
