#include "dialogs/about.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "util/version.h"

namespace {

// The box's design size; it grows only when a larger font needs the room.
constexpr QSize kDesignSize(247, 169);
constexpr int kVersionColumnWidth = 100;
constexpr int kVisibleRows = 3;
constexpr int kMargin = 8;
// Room left for the window manager's frame, which is not known before showing.
constexpr int kWindowBorders = 16;

} // namespace

TfrmAbout::TfrmAbout(const std::vector<TAboutRow>& rows, const QString& homepage,
                     std::function<void()> openHomepage, QWidget* parent)
    : QDialog(parent), openHomepage_(std::move(openHomepage)) {
  setObjectName(QStringLiteral("frmAbout"));
  setWindowTitle(QStringLiteral("About"));
  setAttribute(Qt::WA_DeleteOnClose);
  // A fixed dialog border: a title and a close button, nothing to resize with.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  FormCreate(rows, homepage);
}

void TfrmAbout::FormCreate(const std::vector<TAboutRow>& rows, const QString& homepage) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
  column->setSpacing(4);

  Label1 = new QLabel(this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setAlignment(Qt::AlignCenter);
  Label1->setWordWrap(true);
  Label1->setText(QStringLiteral("Skarvel ") +
                  QString::fromStdString(VersionToText(ProgramVersion())));
  // Room for two lines, as a longer name may wrap.
  Label1->setMinimumHeight(2 * Label1->fontMetrics().lineSpacing());

  laURL = new QLabel(homepage, this);
  laURL->setObjectName(QStringLiteral("laURL"));
  laURL->setAlignment(Qt::AlignCenter);
  QFont linkFont = laURL->font();
  linkFont.setUnderline(true);
  laURL->setFont(linkFont);
  QPalette linkPalette = laURL->palette();
  linkPalette.setColor(QPalette::WindowText, Qt::blue);
  laURL->setPalette(linkPalette);
  laURL->setCursor(Qt::PointingHandCursor);
  laURL->installEventFilter(this);

  lvVersion = new QTreeWidget(this);
  lvVersion->setObjectName(QStringLiteral("lvVersion"));
  lvVersion->setColumnCount(2);
  lvVersion->setHeaderHidden(true);
  lvVersion->setRootIsDecorated(false);
  lvVersion->setUniformRowHeights(true);
  lvVersion->setEditTriggers(QAbstractItemView::NoEditTriggers);
  lvVersion->setSelectionMode(QAbstractItemView::SingleSelection);
  lvVersion->setSelectionBehavior(QAbstractItemView::SelectRows);
  lvVersion->header()->setStretchLastSection(false);
  lvVersion->setTextElideMode(Qt::ElideMiddle);
  QList<QTreeWidgetItem*> items;
  for (const TAboutRow& row : rows) {
    auto* item = new QTreeWidgetItem(
        {QString::fromStdString(row.Caption), QString::fromStdString(row.Version)});
    // A name cut short below shows whole here.
    item->setToolTip(0, item->text(0));
    items.append(item);
  }
  lvVersion->addTopLevelItems(items);
  lvVersion->resizeColumnToContents(0);
  lvVersion->setColumnWidth(1, kVersionColumnWidth);
  // Both columns and a few rows in view, whatever the font; a plug-in's name
  // may be of any length, but the box stays within the screen.
  const int frame = 2 * lvVersion->frameWidth();
  const int widestName = screen()->availableGeometry().width() - 2 * kMargin - frame -
                         kVersionColumnWidth - kWindowBorders;
  lvVersion->setColumnWidth(0, std::max(1, std::min(lvVersion->columnWidth(0), widestName)));
  const int rowHeight =
      std::max(lvVersion->sizeHintForRow(0), lvVersion->fontMetrics().lineSpacing());
  lvVersion->setMinimumSize(lvVersion->columnWidth(0) + kVersionColumnWidth + frame,
                            kVisibleRows * rowHeight + frame);

  pmVersion = new QMenu(this);
  pmVersion->setObjectName(QStringLiteral("pmVersion"));
  mnCopy = new QAction(QStringLiteral("Copy"), pmVersion);
  mnCopy->setObjectName(QStringLiteral("mnCopy"));
  mnCopy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
  // The popup's shortcut works while the list has the focus.
  mnCopy->setShortcutContext(Qt::WidgetShortcut);
  pmVersion->addAction(mnCopy);
  lvVersion->addAction(mnCopy);
  lvVersion->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(lvVersion, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { pmVersion->popup(lvVersion->viewport()->mapToGlobal(at)); });
  connect(mnCopy, &QAction::triggered, this, &TfrmAbout::mnCopyClick);

  btOK = new QPushButton(QStringLiteral("OK"), this);
  btOK->setObjectName(QStringLiteral("btOK"));
  btOK->setDefault(true);
  connect(btOK, &QPushButton::clicked, this, &TfrmAbout::btOKClick);

  auto* buttonRow = new QHBoxLayout;
  buttonRow->addStretch();
  buttonRow->addWidget(btOK);
  buttonRow->addStretch();

  column->addWidget(Label1);
  column->addWidget(laURL);
  column->addWidget(lvVersion, 1);
  column->addLayout(buttonRow);
  btOK->setFocus(); // the list shows no focus frame until it is used

  // A fixed border: the design size, or what the texts need at this font.
  setFixedSize(column->minimumSize().expandedTo(kDesignSize));
}

bool TfrmAbout::eventFilter(QObject* watched, QEvent* event) {
  if (watched == laURL && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    laURLClick();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void TfrmAbout::laURLClick() {
  openHomepage_();
  reject();
}

void TfrmAbout::btOKClick() {
  accept();
}

void TfrmAbout::mnCopyClick() {
  QString text;
  for (int i = 0; i < lvVersion->topLevelItemCount(); ++i) {
    const QTreeWidgetItem* item = lvVersion->topLevelItem(i);
    text += item->text(0) + QLatin1Char(' ') + item->text(1) + QStringLiteral("\r\n");
  }
  if (!text.isEmpty())
    QApplication::clipboard()->setText(text);
}
