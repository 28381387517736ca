#include "app/lamp_library.h"
#include "brisco_build.h"

#include <QCoreApplication>
#include <QDir>
#include <QWidget>

bool LampLibrary::load(QString* error) {
    const QDir programFolder(QCoreApplication::applicationDirPath());
    const QString candidates[] = {
        programFolder.filePath(QStringLiteral("Lumbrel")),
        QDir::cleanPath(programFolder.filePath(QStringLiteral(BRISCO_LAMP_LIBRARY_DIR "/Lumbrel"))),
        QStringLiteral("Lumbrel"),
    };
    for (const QString& candidate : candidates) {
        m_library.setFileNameAndVersion(candidate, 1);
        if (m_library.load()) {
            break;
        }
    }
    if (!m_library.isLoaded()) {
        *error = QStringLiteral("The lamp library Lumbrel cannot be loaded: %1")
                     .arg(m_library.errorString());
        return false;
    }
    const auto registerServer =
        reinterpret_cast<LumbrelRegisterServerFn>(m_library.resolve("DllRegisterServer"));
    const auto getClassObject =
        reinterpret_cast<LumbrelGetClassObjectFn>(m_library.resolve("DllGetClassObject"));
    if (!registerServer || !getClassObject) {
        *error = QStringLiteral("%1 is not the lamp library Lumbrel.").arg(m_library.fileName());
        return false;
    }
    registerServer();
    if (getClassObject(LUMBREL_STATUS_BOX_CLASS_ID, &m_factory) != LUMBREL_OK ||
        !m_factory.createInstance) {
        *error = QStringLiteral("%1 offers no class \"%2\".")
                     .arg(m_library.fileName(), QLatin1String(LUMBREL_STATUS_BOX_CLASS_ID));
        return false;
    }
    return true;
}

QWidget* LampLibrary::createLamp(QWidget* parent) const {
    return static_cast<QWidget*>(m_factory.createInstance(parent));
}
