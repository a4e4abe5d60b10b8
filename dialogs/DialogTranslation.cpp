#include "dialogs/DialogTranslation.h"

#include <QWidget>

#include <set>

#include "config/AppSettings.h"
#include "dialogs/ErrorReport.h"
#include "dialogs/LngINISupp.h"

void TranslateDialog(QWidget* dialog) {
  TLngINISupp LngINISupp1;
  LngINISupp1.SetFileName(AppSettings.Language);
  std::optional<std::string> error = LngINISupp1.Translate({dialog});
  if (error && FirstReportOf(*error))
    ShowError(dialog->parentWidget(), QString::fromStdString(*error));
}

bool FirstReportOf(const std::string& writeError) {
  static std::set<std::string> reported;
  return reported.insert(writeError).second;
}
