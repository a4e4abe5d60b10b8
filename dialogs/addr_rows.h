#pragma once

#include <QSize>
#include <QString>

#include <optional>

class QBoxLayout;
class QDialog;
class QLabel;
class QLayout;
class QLineEdit;
class QPushButton;
class QWidget;

// The pieces the address and the server properties dialogs are built from:
// a caption above each field, "#" browse buttons, OK and Cancel.

// A label named `name` with `caption`, added to `column`.
QLabel* AddCaption(QBoxLayout& column, QWidget& owner, const char* name, const QString& caption);
// An edit named `name`, added to `box`.
QLineEdit* AddEdit(QBoxLayout& box, QWidget& owner, const char* name);

struct TBrowseRow {
  QLineEdit* Edit = nullptr;
  QPushButton* Button = nullptr;
};
// An edit with its "#" browse button beside it, under a caption.
TBrowseRow AddBrowseRow(QBoxLayout& column, QWidget& owner, const char* labelName,
                        const QString& caption, const char* editName, const char* buttonName);

struct TFileRows {
  TBrowseRow Icon;
  TBrowseRow Sound;
  TBrowseRow Log;
};
// The "Icon:", "Sound:" and "Log:" rows (edIcon/btIcon, edSound/btSound, edLog/btLog).
TFileRows AddFileRows(QBoxLayout& column, QWidget& owner);

// Puts a picked file's full path into the edit; a cancelled picker changes nothing.
void PutPickedFile(QLineEdit& edit, const std::optional<QString>& picked);

struct TOkCancel {
  QPushButton* Ok = nullptr;
  QPushButton* Cancel = nullptr;
};
// "&OK" (the default button) and "&Cancel" (rejects), right-aligned.
TOkCancel AddOkCancel(QBoxLayout& column, QDialog& dialog);

// A fixed dialog border at the design client size (or what the contents need
// at this font), centred on the screen.
void FixSizeCentred(QDialog& dialog, const QLayout& layout, QSize designSize);
