#include "lamp/lumbrel_api.h"

#include "lamp/class_registry.h"
#include "lamp/lumbrel_export.h"
#include "lamp/status_box.h"

#include <QApplication>

namespace {

constexpr char kStatusBoxDescription[] = "ActiveX Status box";

void* createStatusBox(void* parent) {
    // Qt aborts the process on a widget made without a QApplication.
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return nullptr;
    return new StatusBox(static_cast<QWidget*>(parent));
}

} // namespace

extern "C" {

LUMBREL_EXPORT int DllRegisterServer() {
    lumbrel::ClassRegistry::instance().add(LUMBREL_STATUS_BOX_CLASS_ID,
                                           {kStatusBoxDescription, &createStatusBox});
    return LUMBREL_OK;
}

LUMBREL_EXPORT int DllUnregisterServer() {
    lumbrel::ClassRegistry::instance().remove(LUMBREL_STATUS_BOX_CLASS_ID);
    return LUMBREL_OK;
}

LUMBREL_EXPORT int DllGetClassObject(const char* classId, LumbrelClassFactory* factory) {
    if (factory)
        *factory = {};
    if (!classId || !factory)
        return LUMBREL_E_INVALIDARG;
    const auto info = lumbrel::ClassRegistry::instance().find(classId);
    if (!info)
        return LUMBREL_E_CLASSNOTAVAILABLE;
    *factory = {info->description, info->createInstance};
    return LUMBREL_OK;
}

LUMBREL_EXPORT int DllCanUnloadNow() {
    return lumbrel::ClassRegistry::instance().liveObjects() == 0 ? LUMBREL_OK : LUMBREL_FALSE;
}

} // extern "C"
