#pragma once

#include <QIcon>
#include <QList>

#include "games/game.h"

// The game-type image list: the built-in images first, then every icon file a
// game, address or server names, added as it is loaded.
class TGameImages : public IGameIcons {
public:
  int32_t Add(const QIcon& icon);
  int32_t AddIconFile(const std::string& path) override;
  int32_t AddIconData(const std::string& png) override;
  int32_t Count() const { return static_cast<int32_t>(images_.size()); }
  QIcon Image(int32_t index) const { return images_.value(index); }

private:
  QList<QIcon> images_;
};
