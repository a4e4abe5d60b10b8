#include "dialogs/AboutRows.h"

#include <QCollator>
#include <QLocale>
#include <QString>

#include <algorithm>

#include "games/game.h"

std::vector<TAboutRow> AboutRows(const std::string& executableName, PackedVersion programVersion,
                                 const TGameList& games,
                                 const std::vector<TStatPluginVersion>& statPlugins) {
  std::vector<TAboutRow> rows{{executableName, VersionToText(programVersion)}};
  for (int32_t i = 0; i < games.Count(); ++i) {
    const TGame& game = games.Items(i);
    if (!game.PluginFile.empty())
      rows.push_back({game.PluginFile, VersionToText(game.PluginVersion)});
  }
  for (const auto& [name, version] : statPlugins)
    if (!name.empty())
      rows.push_back({name, VersionToText(version)});

  // The same order as the server view's: the locale's, letter case counting.
  QCollator collator{QLocale()};
  collator.setCaseSensitivity(Qt::CaseSensitive);
  std::stable_sort(rows.begin(), rows.end(), [&collator](const TAboutRow& a, const TAboutRow& b) {
    return collator.compare(QString::fromStdString(a.Caption), QString::fromStdString(b.Caption)) <
           0;
  });
  return rows;
}
