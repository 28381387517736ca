// The operator's side of the set-point files, for the main and the factory
// window alike: the file dialogs, which start in the Documents folder (the
// home folder where there is none) and give a name without a suffix
// ".json"; what is told when a file cannot be written or read; the question
// before a set of another model is taken.
#pragma once

#include "settings/setpoint_file.h"

#include <QString>

#include <optional>

class QWidget;

// The file to save the set to, or an empty path when the operator cancels
// (or would rather keep the file of that name, asked about).
QString askSavePath(QWidget* parent, const brisco::settings::SetPointFile& set);
// The file to load a set of this kind from, or an empty path.
QString askOpenPath(QWidget* parent, brisco::settings::SetPointFile::Kind kind);

// False, with the operator told why, when the file could not be written.
bool writeSet(QWidget* parent, const QString& path, const brisco::settings::SetPointFile& set);

// The set in the file, or nothing, with the operator told why, when it cannot
// be loaded whole, or when it is of another model than the one on the line
// (known once the device information has come) and the operator would
// rather not take it.
std::optional<brisco::settings::SetPointFile> readSet(QWidget* parent, const QString& path,
                                                      brisco::settings::SetPointFile::Kind kind,
                                                      const QString& modelOnTheLine);
