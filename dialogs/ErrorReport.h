#pragma once

#include <QString>

class QWidget;

// The program's standard error report: a message box captioned "Skarvel"
// with the error icon over `parent`, which stays open with its contents.
void ShowError(QWidget* parent, const QString& text);

class QMessageBox;
// The OK, Yes and No buttons of a message box in the chosen language.
void TranslateButtons(QMessageBox& box);
