/* Entry points of the Lumbrel control library.
 *
 * A host loads the library at run time (QLibrary), resolves these four
 * symbols by name and never links against it. Plain C, so that any host
 * can use the header as it stands.
 *
 * Typical use:
 *   DllRegisterServer();
 *   LumbrelClassFactory factory;
 *   if (DllGetClassObject(LUMBREL_STATUS_BOX_CLASS_ID, &factory) == LUMBREL_OK)
 *       lamp = (QWidget*)factory.createInstance(parentWidget);
 *   lamp->setProperty("ForeColor", 2);
 */
#ifndef LUMBREL_API_H
#define LUMBREL_API_H

#ifdef __cplusplus
extern "C" {
#endif

/* Result codes. */
enum {
    LUMBREL_OK = 0,
    /* DllCanUnloadNow: objects of the library are still alive. */
    LUMBREL_FALSE = 1,
    /* A null class identifier or a null factory out-parameter. */
    LUMBREL_E_INVALIDARG = -1,
    /* The class identifier is not registered. */
    LUMBREL_E_CLASSNOTAVAILABLE = -2
};

/* The identifier of the indicator lamp class. */
#define LUMBREL_STATUS_BOX_CLASS_ID "Lumbrel.StatusBox"

/* Creates one instance as a QWidget* child of parent (a QWidget*, or null,
 * in which case the caller owns it). Returns null when no QApplication
 * exists, since no widget can be created then. Call it from the GUI thread
 * only. */
typedef void* (*LumbrelCreateInstanceFn)(void* parent);

typedef struct LumbrelClassFactory {
    /* The class's description; valid as long as the library stays loaded. */
    const char* description;
    LumbrelCreateInstanceFn createInstance;
} LumbrelClassFactory;

/* Registers the library's classes. Registering again is harmless. */
int DllRegisterServer(void);

/* Removes the library's classes from the registry; instances already
 * created stay valid. Always LUMBREL_OK. */
int DllUnregisterServer(void);

/* Fills *factory with the class factory of a registered class identifier.
 * Returns LUMBREL_E_CLASSNOTAVAILABLE for an unknown one and
 * LUMBREL_E_INVALIDARG for null arguments; on any failure *factory (if
 * given) is cleared. */
int DllGetClassObject(const char* classId, LumbrelClassFactory* factory);

/* LUMBREL_OK when no object of the library is alive, so that the host may
 * unload it; LUMBREL_FALSE otherwise. */
int DllCanUnloadNow(void);

typedef int (*LumbrelRegisterServerFn)(void);
typedef int (*LumbrelUnregisterServerFn)(void);
typedef int (*LumbrelGetClassObjectFn)(const char* classId, LumbrelClassFactory* factory);
typedef int (*LumbrelCanUnloadNowFn)(void);

#ifdef __cplusplus
}
#endif

#endif
