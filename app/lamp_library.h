// The indicator lamps come from the Lumbrel library, loaded at run time and
// asked for its class by identifier.
#pragma once

#include "lamp/lumbrel_api.h"

#include <QLibrary>
#include <QString>

class QWidget;

class LampLibrary {
public:
    // Looks beside the program first (a build tree), then in the program's
    // private library folder (an installed package), then where the system
    // keeps libraries.
    // False with a reason when the library or its lamp class is not there.
    bool load(QString* error);

    // One lamp as a child of parent; valid only after a successful load.
    QWidget* createLamp(QWidget* parent) const;

private:
    QLibrary m_library;
    LumbrelClassFactory m_factory{};
};
