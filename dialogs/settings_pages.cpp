// The dialog's controls: the three pages and the OK/Cancel row.
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "dialogs/LngINISupp.h"
#include "dialogs/settings.h"

namespace {

template <class Widget> Widget* Named(Widget* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

QLabel* MakeLabel(const char* name, const char* caption, QWidget* parent) {
  return Named(new QLabel(QString::fromLatin1(caption), parent), name);
}

QPushButton* MakeButton(const char* name, const char* caption, QWidget* parent) {
  return Named(new QPushButton(QString::fromLatin1(caption), parent), name);
}

// The small "#" button beside a file name.
QPushButton* MakeBrowseButton(const char* name, QWidget* parent) {
  QPushButton* button = MakeButton(name, "#", parent);
  TLngINISupp::Exclude(button);
  const int side = button->fontMetrics().height() + 8;
  button->setFixedWidth(side);
  return button;
}

QToolButton* MakeArrow(const char* name, Qt::ArrowType arrow, int height, QWidget* parent) {
  auto* button = Named(new QToolButton(parent), name);
  button->setArrowType(arrow);
  button->setFixedSize(2 * height, height);
  button->setAutoRepeat(true);
  TLngINISupp::Exclude(button); // an arrow, no text
  return button;
}

} // namespace

void TfrmSettings::BuildAddressPage(QWidget* page) {
  auto* column = new QVBoxLayout(page);

  lvAddr = Named(new QTreeWidget(page), "lvAddr");
  lvAddr->setHeaderLabels(
      {QStringLiteral("Address"), QStringLiteral("Game"), QStringLiteral("Description")});
  lvAddr->setRootIsDecorated(false);
  lvAddr->setUniformRowHeights(true);
  lvAddr->setSelectionBehavior(QAbstractItemView::SelectRows);
  lvAddr->setSelectionMode(QAbstractItemView::SingleSelection);
  lvAddr->setEditTriggers(QAbstractItemView::NoEditTriggers);
  lvAddr->header()->setSectionsClickable(false);
  lvAddr->header()->setSectionsMovable(false);
  lvAddr->header()->setStretchLastSection(false);
  // The selection stays visible while a button has the focus.
  QPalette palette = lvAddr->palette();
  palette.setBrush(QPalette::Inactive, QPalette::Highlight,
                   palette.brush(QPalette::Active, QPalette::Highlight));
  palette.setBrush(QPalette::Inactive, QPalette::HighlightedText,
                   palette.brush(QPalette::Active, QPalette::HighlightedText));
  lvAddr->setPalette(palette);
  column->addWidget(lvAddr, 1);

  btAdd = MakeButton("btAdd", "&Add", page);
  btEdit = MakeButton("btEdit", "&Edit", page);
  btDel = MakeButton("btDel", "&Del", page);

  // The up/down arrow pair: one control holding two arrow buttons.
  UpDown1 = Named(new QWidget(page), "UpDown1");
  auto* arrows = new QVBoxLayout(UpDown1);
  arrows->setContentsMargins(0, 0, 0, 0);
  arrows->setSpacing(0);
  const int arrowHeight = std::max(10, btAdd->sizeHint().height() / 2);
  QToolButton* btUp = MakeArrow("btUp", Qt::UpArrow, arrowHeight, UpDown1);
  QToolButton* btDown = MakeArrow("btDown", Qt::DownArrow, arrowHeight, UpDown1);
  arrows->addWidget(btUp);
  arrows->addWidget(btDown);

  auto* row = new QHBoxLayout;
  row->addWidget(btAdd);
  row->addWidget(btEdit);
  row->addWidget(btDel);
  row->addStretch(1);
  row->addWidget(UpDown1);
  column->addLayout(row);

  connect(btAdd, &QPushButton::clicked, this, &TfrmSettings::btAddClick);
  connect(btEdit, &QPushButton::clicked, this, &TfrmSettings::btEditClick);
  connect(btDel, &QPushButton::clicked, this, &TfrmSettings::btDelClick);
  connect(lvAddr, &QTreeWidget::itemDoubleClicked, this, &TfrmSettings::btEditClick);
  connect(btUp, &QToolButton::clicked, this, [this] { UpDown1Click(TUpDownButton::Up); });
  connect(btDown, &QToolButton::clicked, this, [this] { UpDown1Click(TUpDownButton::Down); });
}

void TfrmSettings::BuildGamesPage(QWidget* page) {
  auto* column = new QVBoxLayout(page);
  tcGames = Named(new QTabBar(page), "tcGames");
  tcGames->setExpanding(false);
  tcGames->setUsesScrollButtons(true);
  column->addWidget(tcGames);

  auto* pnGameEdit = Named(new QWidget(page), "pnGameEdit");
  // The grid gives the edits the panel's whole width as it is resized.
  auto* grid = new QGridLayout(pnGameEdit);
  grid->setColumnStretch(1, 1);
  imGame = Named(new QLabel(pnGameEdit), "imGame");
  imGame->setFixedSize(16, 16);
  laGameTitle = Named(new QLabel(pnGameEdit), "laGameTitle");
  QFont bold = laGameTitle->font();
  bold.setBold(true);
  laGameTitle->setFont(bold);
  // The chosen game's picture and title, set as the selection moves.
  TLngINISupp::Exclude(imGame);
  TLngINISupp::Exclude(laGameTitle);
  auto* title = new QHBoxLayout;
  title->addWidget(imGame);
  title->addWidget(laGameTitle, 1);
  grid->addLayout(title, 0, 0, 1, 3);

  struct Row {
    const char* label;
    const char* caption;
    const char* edit;
    QLineEdit*& field;
    const char* button; // none for the parameters
    void (TfrmSettings::*click)();
  };
  const Row rows[] = {
      {"laExe", "Game executable:", "edExe", edExe, "btExe", &TfrmSettings::btExeClick},
      {"laParams", "Parameters:", "edParams", edParams, nullptr, nullptr},
      {"laIcon", "Icon:", "edIcon", edIcon, "btIcon", &TfrmSettings::btIconClick},
      {"laSound", "Sound:", "edSound", edSound, "btSound", &TfrmSettings::btSoundClick},
      {"laLog", "Log:", "edLog", edLog, "btLog", &TfrmSettings::btLogClick},
  };
  int line = 1;
  for (const Row& row : rows) {
    QLabel* label = MakeLabel(row.label, row.caption, pnGameEdit);
    row.field = Named(new QLineEdit(pnGameEdit), row.edit);
    label->setBuddy(row.field);
    grid->addWidget(label, line, 0);
    grid->addWidget(row.field, line, 1);
    if (row.button) {
      QPushButton* browse = MakeBrowseButton(row.button, pnGameEdit);
      grid->addWidget(browse, line, 2);
      connect(browse, &QPushButton::clicked, this, row.click);
    }
    ++line;
  }
  grid->setRowStretch(line, 1);
  column->addWidget(pnGameEdit, 1);

  connect(tcGames, &QTabBar::currentChanged, this, &TfrmSettings::tcGamesChange);
}

void TfrmSettings::BuildAppPage(QWidget* page) {
  auto* column = new QVBoxLayout(page);
  struct Check {
    const char* name;
    const char* caption;
    QCheckBox*& box;
  };
  const Check checks[] = {
      {"chAutostart", "Run &at system startup", chAutostart},
      {"chTray", "Start in &tray", chTray},
      {"chPopup", "Popup &messages", chPopup},
      {"chDigits", "&Show players counter in tray", chDigits},
      {"chStat", "&Log stats", chStat},
      {"chDbl", "Connect on &double-click", chDbl},
      {"chQuit", "&Quit after game start", chQuit},
  };
  for (const Check& check : checks) {
    check.box = Named(new QCheckBox(QString::fromLatin1(check.caption), page), check.name);
    column->addWidget(check.box);
  }

  auto* gbTrayNew = Named(
      new QGroupBox(QStringLiteral("Assign tray icon to each new server"), page), "gbTrayNew");
  auto* trayRow = new QHBoxLayout(gbTrayNew);
  rbOwnIcon = Named(new QRadioButton(QStringLiteral("own &icon"), gbTrayNew), "rbOwnIcon");
  rbCommonIcon = Named(new QRadioButton(QStringLiteral("&common icon"), gbTrayNew), "rbCommonIcon");
  rbNoIcon = Named(new QRadioButton(QStringLiteral("&no icon"), gbTrayNew), "rbNoIcon");
  trayNewGroup_ = new QButtonGroup(this);
  for (QRadioButton* button : {rbOwnIcon, rbCommonIcon, rbNoIcon}) {
    trayRow->addWidget(button);
    trayNewGroup_->addButton(button);
  }
  column->addWidget(gbTrayNew);

  auto* soundRow = new QHBoxLayout;
  QLabel* laOnlineSound = MakeLabel("laOnlineSound", "Online notification sound:", page);
  edOnlineSound = Named(new QLineEdit(page), "edOnlineSound");
  laOnlineSound->setBuddy(edOnlineSound);
  QPushButton* btOnlineSound = MakeBrowseButton("btOnlineSound", page);
  soundRow->addWidget(laOnlineSound);
  soundRow->addWidget(edOnlineSound, 1);
  soundRow->addWidget(btOnlineSound);
  column->addLayout(soundRow);

  // The last three rows on the left, the update box framed beside them.
  auto* numbers = new QGridLayout;
  QLabel* laInterval = MakeLabel("laInterval", "Interval, ms:", page);
  QLabel* laWaitAns = MakeLabel("laWaitAns", "Wait for answers max, ms:", page);
  QLabel* laLang = MakeLabel("laLang", "Language:", page);
  edInterval = Named(new QLineEdit(page), "edInterval");
  edWaitAns = Named(new QLineEdit(page), "edWaitAns");
  coLang = Named(new QComboBox(page), "coLang");
  coLang->setEditable(true);
  coLang->setInsertPolicy(QComboBox::NoInsert);
  // Room for a whole file name such as "English.lng".
  coLang->setMinimumContentsLength(12);
  coLang->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  laInterval->setBuddy(edInterval);
  laWaitAns->setBuddy(edWaitAns);
  laLang->setBuddy(coLang);
  numbers->addWidget(laInterval, 0, 0);
  numbers->addWidget(edInterval, 0, 1);
  numbers->addWidget(laWaitAns, 1, 0);
  numbers->addWidget(edWaitAns, 1, 1);
  numbers->addWidget(laLang, 2, 0);
  numbers->addWidget(coLang, 2, 1);

  auto* gbUpdate = Named(new QGroupBox(page), "gbUpdate");
  TLngINISupp::Exclude(gbUpdate); // a frame without a title
  auto* update = new QGridLayout(gbUpdate);
  chUpdate = Named(new QCheckBox(QStringLiteral("C&heck for updates"), gbUpdate), "chUpdate");
  laCheckInterval = MakeLabel("laCheckInterval", "Interval, days:", gbUpdate);
  edCheck = Named(new QLineEdit(gbUpdate), "edCheck");
  laCheckInterval->setBuddy(edCheck);
  btCheck = MakeButton("btCheck", "Check no&w", gbUpdate);
  update->addWidget(chUpdate, 0, 0, 1, 2);
  update->addWidget(laCheckInterval, 1, 0);
  update->addWidget(edCheck, 1, 1);
  update->addWidget(btCheck, 2, 0, 1, 2);
  // Why the box is disabled, when it is; the text is a message.
  laNoUpdateServer = Named(new QLabel(gbUpdate), "laNoUpdateServer");
  TLngINISupp::Exclude(laNoUpdateServer);
  laNoUpdateServer->setWordWrap(true);
  laNoUpdateServer->hide();
  update->addWidget(laNoUpdateServer, 3, 0, 1, 2);

  auto* bottom = new QHBoxLayout;
  bottom->addLayout(numbers, 1);
  bottom->addWidget(gbUpdate);
  column->addLayout(bottom);
  column->addStretch(1);

  connect(btOnlineSound, &QPushButton::clicked, this, &TfrmSettings::btOnlineSoundClick);
  connect(chUpdate, &QCheckBox::toggled, this, &TfrmSettings::chUpdateClick);
  connect(btCheck, &QPushButton::clicked, this, &TfrmSettings::btCheckClick);
}

QLayout* TfrmSettings::BuildButtonRow() {
  btOk = MakeButton("btOk", "&OK", this);
  btOk->setDefault(true);
  btCancel = MakeButton("btCancel", "Cancel", this);
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  row->addWidget(btOk);
  row->addWidget(btCancel);
  connect(btOk, &QPushButton::clicked, this, &TfrmSettings::btOkClick);
  connect(btCancel, &QPushButton::clicked, this, &TfrmSettings::reject);
  return row;
}
