#include "FakeDialogServices.h"

#include <filesystem>

namespace {
constexpr int32_t kFirstIconFileImage = 7; // after the seven built-in images
}

int32_t TFakeDialogServices::AddIconFile(const std::string& path) {
  std::error_code error;
  if (path.size() < 4 || path.compare(path.size() - 4, 4, ".ico") != 0 ||
      !std::filesystem::is_regular_file(path, error))
    return -1;
  IconsLoaded.push_back(path);
  return kFirstIconFileImage + static_cast<int32_t>(IconsLoaded.size()) - 1;
}

std::optional<QString> TFakeDialogServices::Answer(const QString& what) {
  Asked.push_back(what);
  if (Answers.empty())
    return std::nullopt;
  const QString path = Answers.front().value_or(QString());
  const bool chosen = Answers.front().has_value();
  Answers.pop_front();
  if (!chosen)
    return std::nullopt;
  return path;
}
