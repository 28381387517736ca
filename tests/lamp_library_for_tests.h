// The lamp library as the program loads it, once per test program.
#pragma once

#include "app/lamp_library.h"

#include <QString>
#include <QtGlobal>

inline LampLibrary& lampLibrary() {
    static LampLibrary library;
    static const bool loaded = [] {
        QString error;
        if (!library.load(&error)) {
            qFatal("%s", qPrintable(error));
        }
        return true;
    }();
    Q_UNUSED(loaded);
    return library;
}
