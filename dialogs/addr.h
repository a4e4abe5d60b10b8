#pragma once

#include <QDialog>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "dialogs/DialogServices.h"
#include "dialogs/addr_lookup.h"
#include "model/address.h"
#include "util/resolve.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Runs the address dialog on `address` (whose Registry() lists the games);
// true when the user confirmed. A change of game replaces the object behind
// the reference.
bool EditAddress(std::unique_ptr<TAddress>& address, IDialogServices& services,
                 QWidget* parent = nullptr, THostResolver resolve = ResolveHost);

// The address dialog: where a server is, its game, its description and its
// notification files. OK resolves the typed host, so an address is stored
// with a numeric host; a typed name survives only as the description.
class TfrmAddr : public QDialog {
  Q_OBJECT
public:
  static constexpr std::chrono::milliseconds kResolveBound{10000};

  TfrmAddr(const TGameList& registry, IDialogServices& services, THostResolver resolve,
           QWidget* parent = nullptr);

  // The controls from the address; its game selected.
  void Fill(const TAddress& address);
  // After OK: the address takes the dialog's values; a change of game makes
  // it anew for the new game, keeping its Enabled.
  void ApplyTo(std::unique_ptr<TAddress>& address, IGameIcons& icons) const;
  // How long OK waits for a name lookup before it says it failed.
  void SetResolveBound(std::chrono::milliseconds bound) { resolveBound_ = bound; }

  void btOkClick();
  void btIconClick();
  void btSoundClick();
  void btLogClick();

private:
  void FormCreate();
  // The id of the selected game, or nothing.
  std::optional<int32_t> SelectedGameId() const;
  // OK and the edits off and a busy cursor while a name is looked up.
  void SetBusy(bool busy);

  const TGameList& registry_;
  IDialogServices& services_;
  THostLookup lookup_;
  std::chrono::milliseconds resolveBound_ = kResolveBound;
  // What OK worked out: the resolved host and the port, 0 when none.
  std::string host_;
  int32_t port_ = 0;

  QLabel* laAddr = nullptr;
  QLineEdit* edAddr = nullptr;
  QLabel* laGame = nullptr;
  QComboBox* coGameType = nullptr;
  QLabel* laDesc = nullptr;
  QLineEdit* edDescription = nullptr;
  QLineEdit* edIcon = nullptr;
  QPushButton* btIcon = nullptr;
  QLineEdit* edSound = nullptr;
  QPushButton* btSound = nullptr;
  QLineEdit* edLog = nullptr;
  QPushButton* btLog = nullptr;
  QPushButton* btOk = nullptr;
  QPushButton* btCancel = nullptr;
};
