#pragma once

#include <QMessageBox>
#include <QString>

// Start-up problems are reported in message boxes captioned "Skarvel". A
// request to end the program (SIGTERM, SIGINT) may come while one waits for a
// user who never comes, as in a headless run: it closes the open box, and no
// later box of the start-up opens, so the program can end at once.
void ShowStartupMessage(QMessageBox::Icon icon, const QString& text);
void AbandonStartupMessages();
bool StartupMessagesAbandoned();

// While held, the boxes asked for wait, so that the start-up goes on to its
// first poll cycle; released, they show one after another while the poll
// runs on.
void HoldStartupMessages();
void ReleaseStartupMessages();
