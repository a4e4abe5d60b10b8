#include "app/ServerViewHint.h"

#include <QStringList>

#include "dialogs/Message.h"
#include "model/address.h"

namespace {

// More than this many addresses would bury the sentence.
constexpr int kNamedAddresses = 3;
const QString kCountMark = QStringLiteral("%1");

} // namespace

QString ServerViewHint(const TAddressList& addresses) {
  QStringList named;
  int more = 0;
  for (int32_t i = 0; i < addresses.Count(); ++i) {
    const TAddress& address = addresses.Items(i);
    if (!address.Enabled)
      continue;
    if (named.size() == kNamedAddresses) {
      ++more;
      continue;
    }
    named << QStringLiteral("%1 (%2)").arg(QString::fromStdString(address.HostPort()),
                                           QString::fromStdString(address.Defs.Title));
  }
  const QString addServers = Message("HintAddServers", "Add your servers in File \u203A Settings.");
  if (named.isEmpty())
    return Message("HintNoAddress", "No address is polled.") + QLatin1Char(' ') + addServers;
  QString polled = named.join(QStringLiteral(", "));
  if (more > 0)
    polled += QLatin1Char(' ') +
              Message("HintMore", "and %1 more").replace(kCountMark, QString::number(more));
  // The addresses go in by plain replacement: a translated text is never a
  // format for them.
  return Message("HintPolling", "Polling %1; no server has answered yet.")
             .replace(kCountMark, polled) +
         QLatin1Char(' ') + addServers;
}
