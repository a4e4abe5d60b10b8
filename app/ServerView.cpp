#include "app/ServerView.h"

#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>

#include "model/server.h"
#include "platform/ServerText.h"

// A row knows its server until the record goes, its sort key and its place in
// list order, which breaks ties between equal captions.
class TServerRow : public QTreeWidgetItem {
public:
  const TServer* Server = nullptr;
  std::optional<QCollatorSortKey> Key; // set with the first caption
  uint64_t Order = 0;
};

namespace {

bool Before(const TServerRow& a, const TServerRow& b) {
  const int order = a.Key->compare(*b.Key);
  return order != 0 ? order < 0 : a.Order < b.Order;
}

bool Listed(const TServerList& servers, const TServer& server) {
  return server.Online && servers.Holds(server);
}

} // namespace

TServerView::TServerView(std::function<QIcon(int32_t)> image, QWidget* parent)
    : QTreeWidget(parent), image_(std::move(image)), collator_(QLocale()) {
  collator_.setCaseSensitivity(Qt::CaseSensitive);
  // The hint sits on the empty rows' area; clicks go through to the view.
  hint_ = new QLabel(viewport());
  hint_->setObjectName(QStringLiteral("lvServersHint"));
  hint_->setWordWrap(true);
  hint_->setAlignment(Qt::AlignCenter);
  hint_->setMargin(6);
  hint_->setAttribute(Qt::WA_TransparentForMouseEvents);
  hint_->setForegroundRole(QPalette::PlaceholderText);
  hint_->hide();
  auto* layout = new QVBoxLayout(viewport());
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(hint_);
}

TServerView::~TServerView() = default;

void TServerView::Touch(const TServer& server) {
  touched_.insert(&server);
}

void TServerView::Forget(const TServer& server) {
  touched_.erase(&server);
  listOrder_.erase(&server);
  if (const auto it = rows_.find(&server); it != rows_.end()) {
    it->second->Server = nullptr;
    rows_.erase(it);
    stale_ = true;
  }
}

const TServer* TServerView::ServerOf(const QTreeWidgetItem* item) const {
  return item ? static_cast<const TServerRow*>(item)->Server : nullptr;
}

const TServer* TServerView::SelectedServer() const {
  const QList<QTreeWidgetItem*> selected = selectedItems();
  return selected.isEmpty() ? nullptr : ServerOf(selected.constFirst());
}

const TServer* TServerView::FocusedServer() const {
  return ServerOf(currentItem());
}

const TServer* TServerView::ShownServer() const {
  if (const QList<QTreeWidgetItem*> selected = selectedItems(); !selected.isEmpty())
    return ServerOf(selected.constFirst());
  return FocusedServer();
}

void TServerView::SelectServer(const TServer& server) {
  if (const auto it = rows_.find(&server); it != rows_.end()) {
    setCurrentItem(it->second);
    it->second->setSelected(true);
  }
}

void TServerView::Refresh(const TServerList& servers, bool rebuild) {
  const TServer* selected = SelectedServer();
  const TServer* focused = FocusedServer();
  const QSignalBlocker blocker(this);
  setUpdatesEnabled(false);
  if (rebuild || stale_)
    Rebuild(servers);
  else
    Update(servers);
  Restore(selected, focused);
  ShowHintWhenEmpty();
  setUpdatesEnabled(true);
}

void TServerView::SetEmptyHint(const QString& text) {
  hint_->setText(text);
  ShowHintWhenEmpty();
}

void TServerView::ShowHintWhenEmpty() {
  const bool show = topLevelItemCount() == 0 && !hint_->text().isEmpty();
  if (hint_->isHidden() == show)
    hint_->setVisible(show);
}

void TServerView::Rebuild(const TServerList& servers) {
  clear();
  rows_.clear();
  touched_.clear();
  stale_ = false;
  listOrder_.clear();
  QList<TServerRow*> rows;
  for (int32_t i = 0; i < servers.Count(); ++i) {
    const TServer& server = servers.Items(i);
    listOrder_[&server] = nextOrder_++;
    if (!server.Online)
      continue;
    auto* row = new TServerRow;
    row->Order = listOrder_[&server];
    Fill(*row, server);
    rows.append(row);
    rows_[&server] = row;
  }
  std::stable_sort(rows.begin(), rows.end(),
                   [](const TServerRow* a, const TServerRow* b) { return Before(*a, *b); });
  QList<QTreeWidgetItem*> items(rows.begin(), rows.end());
  addTopLevelItems(items);
}

void TServerView::Update(const TServerList& servers) {
  for (const TServer* server : touched_) {
    const auto it = rows_.find(server);
    TServerRow* row = it == rows_.end() ? nullptr : it->second;
    if (!Listed(servers, *server)) {
      if (row) {
        rows_.erase(it);
        delete takeTopLevelItem(indexOfTopLevelItem(row));
      }
      continue;
    }
    if (!row) {
      row = new TServerRow;
      row->Order = ListOrder(*server);
      Fill(*row, *server);
      rows_[server] = row;
      insertTopLevelItem(InsertPosition(*row), row);
      continue;
    }
    if (Fill(*row, *server)) {
      takeTopLevelItem(indexOfTopLevelItem(row));
      insertTopLevelItem(InsertPosition(*row), row);
    }
  }
  touched_.clear();
}

uint64_t TServerView::ListOrder(const TServer& server) {
  const auto [it, added] = listOrder_.try_emplace(&server, nextOrder_);
  if (added)
    ++nextOrder_;
  return it->second;
}

bool TServerView::Fill(TServerRow& row, const TServer& server) {
  row.Server = &server;
  const QString texts[] = {
      ServerText(server.DisplayName()), ServerText(server.Info[SKARVEL_INFO_NAME]),
      ServerText(server.Info[SKARVEL_INFO_MAP]), ServerText(server.Info[SKARVEL_INFO_FRAG_LIMIT]),
      ServerText(server.Info[SKARVEL_INFO_PLAYERS] + "/" + server.Info[SKARVEL_INFO_MAX_PLAYERS])};
  const bool captionChanged = !row.Key || row.text(0) != texts[0];
  if (captionChanged)
    row.Key = collator_.sortKey(texts[0]);
  // Unchanged cells are left alone: setting a text repaints the row.
  for (int column = 0; column < 5; ++column)
    if (row.text(column) != texts[column])
      row.setText(column, texts[column]);
  const int32_t imageIndex = server.EffectiveIconIndex();
  if (row.data(0, Qt::UserRole).toInt() != imageIndex + 1) {
    row.setIcon(0, image_(imageIndex));
    row.setData(0, Qt::UserRole, imageIndex + 1);
  }
  return captionChanged;
}

int TServerView::InsertPosition(const TServerRow& row) const {
  int low = 0;
  int high = topLevelItemCount();
  while (low < high) {
    const int middle = (low + high) / 2;
    if (Before(row, *static_cast<const TServerRow*>(topLevelItem(middle))))
      high = middle;
    else
      low = middle + 1;
  }
  return low;
}

void TServerView::Restore(const TServer* selected, const TServer* focused) {
  const auto rowOf = [this](const TServer* server) -> TServerRow* {
    const auto it = server ? rows_.find(server) : rows_.end();
    return it == rows_.end() ? nullptr : it->second;
  };
  QTreeWidgetItem* select = rowOf(selected);
  if (!select && topLevelItemCount() > 0)
    select = topLevelItem(0);
  QTreeWidgetItem* focus = rowOf(focused);
  QItemSelectionModel* model = selectionModel();
  const QModelIndex focusIndex = focus ? indexFromItem(focus) : QModelIndex();
  if (model->currentIndex() != focusIndex)
    model->setCurrentIndex(focusIndex, QItemSelectionModel::NoUpdate);
  if (select && !select->isSelected()) {
    model->select(indexFromItem(select),
                  QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  }
}
