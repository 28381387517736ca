// The file dialogs of the windows: where they open, and the suffix a name
// gets when the operator typed none.
#pragma once

#include <QStandardPaths>
#include <QString>

class QWidget;

// The folder of that kind (Documents, Pictures), else the home folder.
QString folderFor(QStandardPaths::StandardLocation location);

// Asks where to save, proposing the file name in the folder of that kind;
// ".suffix" is added to a name without one. Empty when cancelled. The
// dialog asks before a file is replaced, unless the caller asks itself
// (about the other files it writes as well).
QString askSavePath(QWidget* parent, const QString& caption,
                    QStandardPaths::StandardLocation location, const QString& name,
                    const QString& filter, const QString& suffix, bool askToReplace = true);
