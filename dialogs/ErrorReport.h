#pragma once

#include <QString>

class QWidget;

// The program's standard error report: a message box captioned "Skarvel"
// with the error icon over `parent`, which stays open with its contents.
void ShowError(QWidget* parent, const QString& text);
// The same with the information icon, for what is no error.
void ShowNote(QWidget* parent, const QString& text);
// A question captioned "Skarvel" with Yes (the default) and No; true for Yes.
bool AskYesNo(QWidget* parent, const QString& question);

class QMessageBox;
// The OK, Yes and No buttons of a message box in the chosen language.
void TranslateButtons(QMessageBox& box);
// Makes a box with a short text wide enough that the window manager shows
// its whole title beside the title bar's icon and buttons. Call it last:
// the box lays itself out anew when its texts change.
void LeaveRoomForTitle(QMessageBox& box);
