#pragma once

#include <QString>

class QWidget;

// The program's standard error report: a message box captioned "Skarvel"
// with the error icon over `parent`, which stays open with its contents.
void ShowError(QWidget* parent, const QString& text);
