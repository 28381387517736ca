#include "widgets/set_file_dialogs.h"

#include "widgets/file_places.h"
#include "widgets/message_box.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

using brisco::settings::SetPointFile;

namespace {

QString what(SetPointFile::Kind kind) {
    return kind == SetPointFile::Kind::SetPoints ? QStringLiteral("set-points")
                                                 : QStringLiteral("factory values");
}

// The dialog leaves the question before a file is replaced to the program,
// which asks about the name it writes: a platform's own dialog may leave the
// suffix to it, and asks about the name typed.
QString ask(QWidget* parent, const QString& title, QFileDialog::AcceptMode mode,
            const QString& suggestedName) {
    QFileDialog dialog(parent, title, folderFor(QStandardPaths::DocumentsLocation));
    dialog.setObjectName(QStringLiteral("FileDialog"));
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile
                                                       : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setNameFilters(
        {QStringLiteral("Set-point files (*.json)"), QStringLiteral("All files (*)")});
    dialog.setDefaultSuffix(QStringLiteral("json"));
    dialog.selectFile(suggestedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    QString path = dialog.selectedFiles().constFirst();
    if (mode != QFileDialog::AcceptSave) {
        return path;
    }
    if (QFileInfo(path).suffix().isEmpty()) {
        path += path.endsWith(u'.') ? QStringLiteral("json") : QStringLiteral(".json");
    }
    const QFileInfo chosen(path);
    if (chosen.exists() &&
        !askQuestion(parent,
                     QStringLiteral("%1 already exists. Replace it?").arg(chosen.fileName()))) {
        return {};
    }
    return path;
}

// The operator has just chosen the file: its name says which.
QString shown(const QString& path) {
    return QFileInfo(path).fileName();
}

} // namespace

QString askSavePath(QWidget* parent, const SetPointFile& set) {
    QString model = set.model.isEmpty() ? QStringLiteral("controller") : set.model;
    model.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9._-]")), QStringLiteral("_"));
    const QString name = QStringLiteral("%1 %2 %3.json")
                             .arg(model, what(set.kind), set.saved.toString(u"yyyy-MM-dd"))
                             .replace(u' ', u'-');
    return ask(parent, QStringLiteral("Save the controller's %1").arg(what(set.kind)),
               QFileDialog::AcceptSave, name);
}

QString askOpenPath(QWidget* parent, SetPointFile::Kind kind) {
    return ask(parent, QStringLiteral("Load %1 into the entry boxes").arg(what(kind)),
               QFileDialog::AcceptOpen, {});
}

// A set that the controller reported outside an entry range is saved as it
// is, but the operator learns now that it will not load.
bool writeSet(QWidget* parent, const QString& path, const SetPointFile& set) {
    QString error;
    if (!set.save(path, &error)) {
        showMessage(parent, QStringLiteral("%1 cannot be written (%2).").arg(shown(path), error));
        return false;
    }
    if (!SetPointFile::fromJson(set.toJson(), set.kind, &error)) {
        showMessage(
            parent,
            QStringLiteral("%1 was saved, but it will not load: %2.").arg(shown(path), error));
    }
    return true;
}

std::optional<SetPointFile> readSet(QWidget* parent, const QString& path, SetPointFile::Kind kind,
                                    const QString& modelOnTheLine) {
    QString error;
    const std::optional<SetPointFile> set = SetPointFile::load(path, kind, &error);
    if (!set) {
        showMessage(parent, QStringLiteral("%1 cannot be loaded: %2.").arg(shown(path), error));
        return std::nullopt;
    }
    if (!modelOnTheLine.isEmpty() && set->model != modelOnTheLine &&
        !askQuestion(parent, QStringLiteral("%1 holds the %2 of a %3 controller, and the one on "
                                            "the line is a %4. Load them all the same?")
                                 .arg(shown(path), what(kind), set->model, modelOnTheLine))) {
        return std::nullopt;
    }
    return set;
}
