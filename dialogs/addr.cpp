#include "dialogs/addr.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "config/MsgINISupp.h"
#include "dialogs/DialogTranslation.h"
#include "dialogs/ErrorReport.h"
#include "dialogs/addr_input.h"
#include "dialogs/addr_rows.h"

namespace {

constexpr QSize kDesignSize(265, 277);

QString Text(const std::string& text) {
  return QString::fromStdString(text);
}

std::string Text(const QLineEdit& edit) {
  return edit.text().toStdString();
}

} // namespace

bool EditAddress(std::unique_ptr<TAddress>& address, IDialogServices& services, QWidget* parent,
                 THostResolver resolve) {
  // Held by a guard: the parent may take the dialog with it while it is open.
  QPointer<TfrmAddr> dialog =
      new TfrmAddr(address->Registry(), services, std::move(resolve), parent);
  dialog->Fill(*address);
  const bool confirmed = dialog->exec() == QDialog::Accepted && dialog;
  if (confirmed)
    dialog->ApplyTo(address, services.GameIcons());
  delete dialog;
  return confirmed;
}

TfrmAddr::TfrmAddr(const TGameList& registry, IDialogServices& services, THostResolver resolve,
                   QWidget* parent)
    : QDialog(parent), registry_(registry), services_(services), lookup_(std::move(resolve)) {
  setObjectName(QStringLiteral("frmAddr"));
  setWindowTitle(QStringLiteral("Address properties"));
  FormCreate();
}

void TfrmAddr::FormCreate() {
  auto* column = new QVBoxLayout(this);
  column->setSpacing(2);

  laAddr = AddCaption(*column, *this, "laAddr", QStringLiteral("Host:"));
  edAddr = AddEdit(*column, *this, "edAddr");
  laAddr->setBuddy(edAddr);

  laGame = AddCaption(*column, *this, "laGame", QStringLiteral("Game:"));
  coGameType = new QComboBox(this);
  coGameType->setObjectName(QStringLiteral("coGameType"));
  for (int32_t i = 0; i < registry_.Count(); ++i)
    coGameType->addItem(Text(registry_.Items(i).Defs.Title), registry_.Items(i).Id);
  column->addWidget(coGameType);
  laGame->setBuddy(coGameType);

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

  const TOkCancel buttons = AddOkCancel(*column, *this);
  btOk = buttons.Ok;
  btCancel = buttons.Cancel;

  connect(btOk, &QPushButton::clicked, this, &TfrmAddr::btOkClick);
  connect(btIcon, &QPushButton::clicked, this, &TfrmAddr::btIconClick);
  connect(btSound, &QPushButton::clicked, this, &TfrmAddr::btSoundClick);
  connect(btLog, &QPushButton::clicked, this, &TfrmAddr::btLogClick);
  // Cancel, Esc or the close button while a name is looked up: stop waiting.
  connect(this, &QDialog::finished, this, [this] { lookup_.Abandon(); });

  TranslateDialog(this);
  FixSizeCentred(*this, *column, kDesignSize);
}

void TfrmAddr::Fill(const TAddress& address) {
  edAddr->setText(Text(address.HostPort()));
  edDescription->setText(Text(address.Description));
  edIcon->setText(Text(address.IconFile));
  edSound->setText(Text(address.Sound));
  edLog->setText(Text(address.Log));
  coGameType->setCurrentIndex(-1);
  for (int32_t i = 0; i < registry_.Count(); ++i)
    if (registry_.Items(i).Defs.Key == address.Defs.Key) {
      coGameType->setCurrentIndex(i);
      break;
    }
}

void TfrmAddr::ApplyTo(std::unique_ptr<TAddress>& address, IGameIcons& icons) const {
  const int32_t gameId = SelectedGameId().value_or(address->Id);
  if (gameId == address->Id) {
    address->Host = host_;
  } else {
    const bool enabled = address->Enabled;
    address = std::make_unique<TAddress>(address->Registry(), host_, port_, gameId);
    address->Enabled = enabled;
  }
  address->Port = port_ != 0 ? port_ : address->Defs.Port;
  address->Description = Text(*edDescription);
  address->IconFile = Text(*edIcon);
  address->Sound = Text(*edSound);
  address->Log = Text(*edLog);
  address->LoadIcon(&icons);
}

std::optional<int32_t> TfrmAddr::SelectedGameId() const {
  if (coGameType->currentIndex() < 0)
    return std::nullopt;
  return coGameType->currentData().toInt();
}

void TfrmAddr::btOkClick() {
  const TAddrInput input = ParseAddrInput(Text(*edAddr));
  if (input.WrongPort) {
    // The range lets the user correct the number without guessing.
    ShowError(this, Text(Lookup("WrongPort", "Wrong port")) + QStringLiteral(": ") +
                        Text(Lookup("PortRange", "a port is a number from 1 to 65535")));
    return;
  }
  const QString resolveError = Text(Lookup("ResolveError", "Resolve error"));
  if (!IsLookupCandidate(input.Host)) {
    ShowError(this, resolveError);
    return;
  }

  QPointer<TfrmAddr> self(this);
  SetBusy(true);
  const std::optional<std::string> resolved = lookup_.Resolve(input.Host, resolveBound_);
  if (!self) // gone with its parent while it waited
    return;
  SetBusy(false);
  if (!resolved) // closed while it waited
    return;
  if (resolved->empty()) {
    ShowError(this, resolveError);
    return;
  }

  host_ = *resolved;
  port_ = input.Port;
  if (*resolved != input.Host && edDescription->text().isEmpty())
    edDescription->setText(Text(input.Text));
  accept();
}

void TfrmAddr::SetBusy(bool busy) {
  for (QWidget* control : std::initializer_list<QWidget*>{
           edAddr, coGameType, edDescription, edIcon, btIcon, edSound, btSound, edLog, btLog, btOk})
    control->setEnabled(!busy);
  if (busy) {
    setCursor(Qt::BusyCursor);
    btCancel->setCursor(Qt::ArrowCursor); // it still works
  } else {
    unsetCursor();
    btCancel->unsetCursor();
    edAddr->setFocus();
  }
}

void TfrmAddr::btIconClick() {
  PutPickedFile(*edIcon, services_.SelectIconFile());
}

void TfrmAddr::btSoundClick() {
  PutPickedFile(*edSound, services_.SelectSoundFile());
}

void TfrmAddr::btLogClick() {
  PutPickedFile(*edLog, services_.SelectLogFile());
}
