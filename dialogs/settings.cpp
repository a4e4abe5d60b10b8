#include "dialogs/settings.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShowEvent>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <exception>
#include <filesystem>

#include "config/AppSettings.h"
#include "config/Autostart.h"
#include "config/SettingsFile.h"
#include "dialogs/Accelerators.h"
#include "dialogs/DialogServices.h"
#include "dialogs/DialogTranslation.h"
#include "dialogs/ScreenFit.h"
#include "dialogs/settings_layout.h"
#include "util/data_folders.h"

namespace {

constexpr QSize kDesignSize(392, 409);

// -1 fits the texts, -2 the header; other widths are taken as they are.
void ApplyColumnWidth(QTreeWidget* view, int column, int32_t width) {
  if (width == -1)
    view->resizeColumnToContents(column);
  else if (width == -2)
    view->setColumnWidth(column, view->header()->sectionSizeHint(column));
  else
    view->setColumnWidth(column, width);
}

} // namespace

TfrmSettings::TfrmSettings(TGameList& games, TAddressList& addresses, IDialogServices& services,
                           QWidget* parent)
    : QDialog(parent), games_(games), addresses_(addresses), services_(services) {
  setObjectName(QStringLiteral("frmSettings"));
  setWindowTitle(QStringLiteral("Settings"));
  // Sizeable, with a close box and no minimise or maximise box.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);

  auto* column = new QVBoxLayout(this);
  PageControl1 = new QTabWidget(this);
  PageControl1->setObjectName(QStringLiteral("PageControl1"));
  tsAddr = new QWidget(PageControl1);
  tsAddr->setObjectName(QStringLiteral("tsAddr"));
  tsGames = new QWidget(PageControl1);
  tsGames->setObjectName(QStringLiteral("tsGames"));
  tsApp = new QWidget(PageControl1);
  tsApp->setObjectName(QStringLiteral("tsApp"));
  tsBuddies = new QWidget(PageControl1);
  tsBuddies->setObjectName(QStringLiteral("tsBuddies"));
  BuildAddressPage(tsAddr);
  BuildGamesPage(tsGames);
  BuildAppPage(tsApp);
  BuildBuddiesPage(tsBuddies);
  PageControl1->addTab(tsAddr, QStringLiteral("Add&resses"));
  PageControl1->addTab(tsGames, QStringLiteral("&Games"));
  PageControl1->addTab(tsApp, QStringLiteral("A&pplication"));
  PageControl1->addTab(tsBuddies, QStringLiteral("&Buddies"));
  column->addWidget(PageControl1, 1);
  column->addLayout(BuildButtonRow());
  PreviewKeys();
  TranslateDialog(this);

  FitMinimumSize();
  FormCreate();
}

TfrmSettings::~TfrmSettings() {
  FormDestroy();
}

void TfrmSettings::FormCreate() {
  TSettingsLayout layout;
  try {
    layout = WithIni([] { return ReadSettingsLayout(Ini()); });
  } catch (const std::exception& error) {
    qWarning("%s", error.what()); // the design size stands
  }
  // Stored under other screens or another scale, the size may not fit the
  // screen the dialog opens on.
  const QRect stored(screen()->availableGeometry().topLeft(), QSize(layout.Width, layout.Height));
  resize(FitToScreens(stored).size());
  for (int i = 0; i < 3; ++i)
    ApplyColumnWidth(lvAddr, i, layout.AddrWidth[static_cast<std::size_t>(i)]);
}

void TfrmSettings::FormDestroy() noexcept {
  try {
    TSettingsLayout layout;
    layout.Width = width();
    layout.Height = height();
    for (int i = 0; i < 3; ++i)
      layout.AddrWidth[static_cast<std::size_t>(i)] = lvAddr->columnWidth(i);
    WithIni([&layout] { WriteSettingsLayout(Ini(), layout); });
  } catch (const std::exception& error) {
    qWarning("%s", error.what());
  }
}

void TfrmSettings::showEvent(QShowEvent* event) {
  // A window restored from the taskbar is shown again, but not reopened.
  if (!event->spontaneous())
    FormShow();
  QDialog::showEvent(event);
}

// The design size is the smallest, unless this font or language needs more;
// a language chosen since the last showing may need more room.
void TfrmSettings::FitMinimumSize() {
  // Pages out of sight keep the sizes of their old captions until told.
  for (QWidget* widget : findChildren<QWidget*>())
    widget->updateGeometry();
  for (QLayout* box : findChildren<QLayout*>())
    box->invalidate();
  setMinimumSize(layout()->minimumSize().expandedTo(kDesignSize));
  resize(size().expandedTo(minimumSize()));
}

void TfrmSettings::FormShow() {
  FitMinimumSize();
  languageChanged_ = false;
  WorkGames.Assign(games_);
  shownTab_ = -1;
  {
    const QSignalBlocker quiet(tcGames);
    while (tcGames->count() > 0)
      tcGames->removeTab(0);
    // The games' captions share the page with the dialog's own, in any language.
    QSet<QChar> taken;
    for (int page = 0; page < PageControl1->count(); ++page)
      WithFreeAccelerator(PageControl1->tabText(page), taken);
    WithFreeAccelerator(btOk->text(), taken);
    WithFreeAccelerator(btCancel->text(), taken);
    for (int32_t i = 0; i < WorkGames.Count(); ++i) {
      const TGame& game = WorkGames.Items(i);
      if (game.LaunchId != game.Id)
        continue; // launched with the settings of the game it names
      const int tab =
          tcGames->addTab(WithFreeAccelerator(QString::fromStdString(game.Defs.Caption), taken));
      tcGames->setTabData(tab, i);
    }
    tcGames->setCurrentIndex(0);
  }
  // A tab bar out of sight does not tell its layout that it has grown.
  tcGames->updateGeometry();
  ShowGame(tcGames->currentIndex());

  WorkAddresses.Assign(addresses_);
  btOk->setEnabled(WorkAddresses.Count() > 0);
  lvAddr->clear();
  for (int32_t i = 0; i < WorkAddresses.Count(); ++i) {
    auto* item = new QTreeWidgetItem(lvAddr);
    FillAddrItem(*item, WorkAddresses.Items(i));
  }

  ShowAppSettings();
  ShowAutostart();
  ShowBuddies();
  FillLanguages();
  if (lvAddr->topLevelItemCount() > 0)
    SelectRow(0);
}

void TfrmSettings::ShowAppSettings() {
  const TAppSettings& s = AppSettings;
  edInterval->setText(QString::number(s.Interval));
  edWaitAns->setText(QString::number(s.MaxWaitAnswer));
  if (s.CheckUpdates <= 0) {
    edCheck->clear();
    chUpdate->setChecked(false);
  } else {
    edCheck->setText(QString::number(s.CheckUpdates));
    chUpdate->setChecked(true);
  }
  chUpdateClick();
  ShowUpdateAvailability();

  chStat->setChecked(s.Stats);
  chDigits->setChecked(s.Digits);
  chDbl->setChecked(s.DoubleClick);
  chQuit->setChecked(s.Quit);
  chTray->setChecked(s.StartInTray);
  chPopup->setChecked(s.PopupMessages);
  QRadioButton* trayNew[] = {rbCommonIcon, rbOwnIcon, rbNoIcon};
  // A value out of range checks none, which needs the group to let go.
  trayNewGroup_->setExclusive(false);
  for (int value = 0; value < 3; ++value)
    trayNew[value]->setChecked(s.TrayNew == value);
  trayNewGroup_->setExclusive(true);
  edOnlineSound->setText(QString::fromStdString(s.OnlineSound));
}

void TfrmSettings::FillLanguages() {
  coLang->clear();
  // The program folder's files and the installed ones, each name once.
  for (const std::string& path : ListDataFiles(TDataKind::Language, ".lng"))
    coLang->addItem(QString::fromStdString(std::filesystem::path(path).filename().string()));
  // Until a file of the list is chosen, the setting itself stands: its file
  // may not exist yet, and the built-in texts serve then.
  const QString current = QString::fromStdString(AppSettings.Language);
  const int listed = coLang->findText(current, Qt::MatchFixedString | Qt::MatchCaseSensitive);
  if (listed >= 0)
    coLang->setCurrentIndex(listed);
  else
    coLang->setEditText(current);
}

void TfrmSettings::ShowAutostart() {
  if (const std::optional<bool> on = ReadAutostart())
    chAutostart->setChecked(*on);
}

void TfrmSettings::StoreAutostart() {
  WriteAutostart(chAutostart->isChecked());
}

void TfrmSettings::FormClose() {
  WorkGames.Clear();
  shownTab_ = -1;
}

void TfrmSettings::done(int result) {
  FormClose();
  QDialog::done(result);
}

void TfrmSettings::reject() {
  // Cancel is disabled while OK waits for the poll cycle; Esc and the close
  // box wait the same way.
  if (!waitingForPoll_)
    QDialog::reject();
}

void TfrmSettings::PreviewKeys() {
  // The dialog sees every key before its controls do.
  for (QWidget* child : findChildren<QWidget*>())
    child->installEventFilter(this);
}

bool TfrmSettings::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (lvAddrKeyDown(key->key(), key->modifiers()) ||
        BuddiesKeyDown(watched, key->key(), key->modifiers()))
      return true;
  }
  return QDialog::eventFilter(watched, event);
}
