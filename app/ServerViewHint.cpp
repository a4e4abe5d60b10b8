#include "app/ServerViewHint.h"

#include <QStringList>

#include "model/address.h"

namespace {

// More than this many addresses would bury the sentence.
constexpr int kNamedAddresses = 3;

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
  const QString addServers = QStringLiteral("Add your servers in File \u203A Settings.");
  if (named.isEmpty())
    return QStringLiteral("No address is polled. ") + addServers;
  QString polled = named.join(QStringLiteral(", "));
  if (more > 0)
    polled += QStringLiteral(" and %1 more").arg(more);
  return QStringLiteral("Polling %1; no server has answered yet. ").arg(polled) + addServers;
}
