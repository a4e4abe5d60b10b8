#pragma once

#include <string>

class QWidget;

// A dialog translates itself when it is made, from the language file the
// settings name; a file that cannot take its missing texts is reported over
// the dialog's parent, and the dialog goes on with the texts it has.
void TranslateDialog(QWidget* dialog);

// A language file that cannot take its missing texts is reported the first
// time only: every later window would say the same.
bool FirstReportOf(const std::string& writeError);
