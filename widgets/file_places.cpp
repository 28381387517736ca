#include "widgets/file_places.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

QString folderFor(QStandardPaths::StandardLocation location) {
    const QString folder = QStandardPaths::writableLocation(location);
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QDir::homePath();
}

QString askSavePath(QWidget* parent, const QString& caption,
                    QStandardPaths::StandardLocation location, const QString& name,
                    const QString& filter, const QString& suffix, bool askToReplace) {
    QFileDialog dialog(parent, caption, QDir(folderFor(location)).filePath(name), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // Added before the dialog asks whether to replace a file of that name.
    dialog.setDefaultSuffix(suffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !askToReplace);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}
