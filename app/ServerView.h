#pragma once

#include <QCollator>
#include <QTreeWidget>

#include <cstdint>
#include <functional>
#include <unordered_map>
#include <unordered_set>

class QLabel;
class TServer;
class TServerList;
class TServerRow;

// The server view `lvServers`: one row per online server, kept sorted by the
// first column in the user's locale, case-sensitive. A refresh after a reply
// redraws only the rows of servers that changed, so a long list costs no more
// per reply than a short one; what the user sees is the same as a rebuild.
class TServerView : public QTreeWidget {
  Q_OBJECT
public:
  // `image` gives the icon of an image index.
  TServerView(std::function<QIcon(int32_t)> image, QWidget* parent);
  ~TServerView() override;

  // A server may have changed; the next Refresh looks at it.
  void Touch(const TServer& server);
  // The record goes away: no row keeps pointing at it, and the next Refresh
  // rebuilds.
  void Forget(const TServer& server);
  // Rows for every online server of `servers`: rebuilt when `rebuild` (or
  // after a Forget), else only the touched rows. The selected server stays
  // selected (else the first row is), the focused one focused (else none).
  void Refresh(const TServerList& servers, bool rebuild);

  const TServer* ServerOf(const QTreeWidgetItem* item) const;
  const TServer* SelectedServer() const;
  const TServer* FocusedServer() const;
  // The server of the selected row, else of the focused row.
  const TServer* ShownServer() const;
  void SelectServer(const TServer& server);
  // Shown in place of the rows while there are none.
  void SetEmptyHint(const QString& text);

private:
  void ShowHintWhenEmpty();
  void Rebuild(const TServerList& servers);
  void Update(const TServerList& servers);
  // Brings the row's cells in line; true when its caption (and sort key) changed.
  bool Fill(TServerRow& row, const TServer& server);
  int InsertPosition(const TServerRow& row) const;
  uint64_t ListOrder(const TServer& server);
  void Restore(const TServer* selected, const TServer* focused);

  std::function<QIcon(int32_t)> image_;
  QLabel* hint_ = nullptr;
  QCollator collator_;
  std::unordered_map<const TServer*, TServerRow*> rows_;
  // Each server's place in list order, kept while it is offline: equal
  // captions are shown in list order, and a server coming back must find its
  // old place among them. New servers join the end of the list.
  std::unordered_map<const TServer*, uint64_t> listOrder_;
  std::unordered_set<const TServer*> touched_;
  bool stale_ = true;
  uint64_t nextOrder_ = 0;
};
