#include "dialogs/serverprop.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "dialogs/DialogTranslation.h"
#include "dialogs/LngINISupp.h"
#include "dialogs/addr_rows.h"

namespace {

constexpr QSize kDesignSize(280, 329);
// How far "Player tips" sits in under "Popup messages", whose option it is.
constexpr int kDependentIndent = 16;

QString Text(const std::string& text) {
  return QString::fromStdString(text);
}

std::string Text(const QLineEdit& edit) {
  return edit.text().toStdString();
}

QRadioButton* AddRadio(QBoxLayout& box, QWidget& owner, const char* name, const QString& caption) {
  auto* button = new QRadioButton(caption, &owner);
  button->setObjectName(QString::fromLatin1(name));
  box.addWidget(button);
  return button;
}

QCheckBox* AddCheck(QBoxLayout& box, QWidget& owner, const char* name, const QString& caption) {
  auto* check = new QCheckBox(caption, &owner);
  check->setObjectName(QString::fromLatin1(name));
  box.addWidget(check);
  return check;
}

} // namespace

bool EditServerProperties(TServerProperties& properties, const std::string& hostPort,
                          IDialogServices& services, QWidget* parent) {
  // Held by a guard: the parent may take the dialog with it while it is open.
  QPointer<TfrmServerProp> dialog = new TfrmServerProp(properties, hostPort, services, parent);
  const bool confirmed = dialog->exec() == QDialog::Accepted && dialog;
  if (confirmed)
    properties = dialog->Properties();
  delete dialog;
  return confirmed;
}

TfrmServerProp::TfrmServerProp(const TServerProperties& properties, const std::string& hostPort,
                               IDialogServices& services, QWidget* parent)
    : QDialog(parent), services_(services) {
  setObjectName(QStringLiteral("frmServerProp"));
  setWindowTitle(QStringLiteral("Server properties"));
  FormCreate();
  Fill(properties, hostPort);
}

void TfrmServerProp::FormCreate() {
  auto* column = new QVBoxLayout(this);
  column->setSpacing(2);

  laIP = AddCaption(*column, *this, "laIP", QStringLiteral("IP:"));
  TLngINISupp::Exclude(laIP);
  edIP = AddEdit(*column, *this, "edIP");
  // Display only: it reads as text on the dialog, not as a field to fill.
  edIP->setReadOnly(true);
  edIP->setFrame(false);
  QPalette plain = edIP->palette();
  plain.setColor(QPalette::Base, plain.color(QPalette::Button));
  edIP->setPalette(plain);
  edIP->setFocusPolicy(Qt::ClickFocus);
  laIP->setBuddy(edIP);

  laDesc = AddCaption(*column, *this, "laDesc", QStringLiteral("Description:"));
  edDescription = AddEdit(*column, *this, "edDescription");
  laDesc->setBuddy(edDescription);

  const TFileRows files = AddFileRows(*column, *this);
  edIcon = files.Icon.Edit;
  btIcon = files.Icon.Button;
  edSound = files.Sound.Edit;
  btSound = files.Sound.Button;
  edLog = files.Log.Edit;
  btLog = files.Log.Button;

  gbTrayNew = new QGroupBox(QStringLiteral("Tray icon"), this);
  gbTrayNew->setObjectName(QStringLiteral("gbTrayNew"));
  auto* trayRow = new QHBoxLayout(gbTrayNew);
  rbOwnIcon = AddRadio(*trayRow, *gbTrayNew, "rbOwnIcon", QStringLiteral("o&wn"));
  rbCommonIcon = AddRadio(*trayRow, *gbTrayNew, "rbCommonIcon", QStringLiteral("co&mmon"));
  rbNoIcon = AddRadio(*trayRow, *gbTrayNew, "rbNoIcon", QStringLiteral("&none"));
  column->addSpacing(4);
  column->addWidget(gbTrayNew);

  chRealPlayersNumber =
      AddCheck(*column, *this, "chRealPlayersNumber", QStringLiteral("Show &real players number"));
  chPopup = AddCheck(*column, *this, "chPopup", QStringLiteral("&Popup messages"));
  auto* indented = new QHBoxLayout;
  indented->addSpacing(kDependentIndent);
  chPopupPlayers = AddCheck(*indented, *this, "chPopupPlayers", QStringLiteral("Pla&yer tips"));
  column->addLayout(indented);

  const TOkCancel buttons = AddOkCancel(*column, *this);
  btOk = buttons.Ok;
  btCancel = buttons.Cancel;

  connect(btOk, &QPushButton::clicked, this, &QDialog::accept);
  connect(chPopup, &QCheckBox::toggled, this, &TfrmServerProp::chPopupClick);
  connect(btIcon, &QPushButton::clicked, this, &TfrmServerProp::btIconClick);
  connect(btSound, &QPushButton::clicked, this, &TfrmServerProp::btSoundClick);
  connect(btLog, &QPushButton::clicked, this, &TfrmServerProp::btLogClick);

  TranslateDialog(this);
  FixSizeCentred(*this, *column, kDesignSize);
}

void TfrmServerProp::Fill(const TServerProperties& properties, const std::string& hostPort) {
  edIP->setText(Text(hostPort));
  edDescription->setText(Text(properties.Description));
  edIcon->setText(Text(properties.IconFile));
  edSound->setText(Text(properties.Sound));
  edLog->setText(Text(properties.Log));
  // A stored mode none of the buttons names checks none of them.
  rbCommonIcon->setChecked(properties.TrayMode == kTrayCommonIcon);
  rbOwnIcon->setChecked(properties.TrayMode == kTrayOwnIcon);
  rbNoIcon->setChecked(properties.TrayMode == kTrayNoIcon);
  chRealPlayersNumber->setChecked(properties.RealPlayersNumber);
  chPopup->setChecked(properties.Popup);
  chPopupPlayers->setChecked(properties.PlayerTips);
  chPopupClick();
  edDescription->setFocus();
}

TServerProperties TfrmServerProp::Properties() const {
  TServerProperties properties;
  properties.Description = Text(*edDescription);
  properties.IconFile = Text(*edIcon);
  properties.Sound = Text(*edSound);
  properties.Log = Text(*edLog);
  properties.TrayMode = rbCommonIcon->isChecked() ? kTrayCommonIcon
                        : rbOwnIcon->isChecked()  ? kTrayOwnIcon
                                                  : kTrayNoIcon;
  properties.Popup = chPopup->isChecked();
  // Kept while "Popup messages" is off, so it comes back as it was.
  properties.PlayerTips = chPopupPlayers->isChecked();
  properties.RealPlayersNumber = chRealPlayersNumber->isChecked();
  return properties;
}

void TfrmServerProp::chPopupClick() {
  chPopupPlayers->setEnabled(chPopup->isChecked());
}

void TfrmServerProp::btIconClick() {
  PutPickedFile(*edIcon, services_.SelectIconFile());
}

void TfrmServerProp::btSoundClick() {
  PutPickedFile(*edSound, services_.SelectSoundFile());
}

void TfrmServerProp::btLogClick() {
  PutPickedFile(*edLog, services_.SelectLogFile());
}
