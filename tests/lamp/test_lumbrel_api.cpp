#include "lamp/lumbrel_api.h"

#include <QColor>
#include <QImage>
#include <QLibrary>
#include <QMetaEnum>
#include <QTest>
#include <QWidget>
#include <memory>

namespace {

QColor fillOf(const QWidget* lamp) {
    const QWidget* shape = lamp->findChild<QWidget*>(QStringLiteral("Shape1"));
    return shape ? shape->property("fillColor").value<QColor>() : QColor();
}

QByteArray lastErrorOf(const QObject* lamp) {
    const QMetaObject* meta = lamp->metaObject();
    const QMetaEnum kinds = meta->enumerator(meta->indexOfEnumerator("ConversionError"));
    return kinds.valueToKey(lamp->property("lastError").toInt());
}

} // namespace

class TestLumbrelApi : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void createsLampByClassId();
    void foreColorByName();
    void refusesUnknownClassAndNullArguments();
    void canUnloadOnlyWithoutLiveLamps();
    void unregisteredClassIsNotHandedOut();
    void carriesToolboxBitmap();

private:
    template <typename Fn> Fn resolve(const char* name) {
        return reinterpret_cast<Fn>(m_library.resolve(name));
    }
    std::unique_ptr<QWidget> createLamp(QWidget* parent = nullptr);

    QLibrary m_library{QStringLiteral(LUMBREL_PATH)};
    LumbrelRegisterServerFn m_registerServer = nullptr;
    LumbrelUnregisterServerFn m_unregisterServer = nullptr;
    LumbrelGetClassObjectFn m_getClassObject = nullptr;
    LumbrelCanUnloadNowFn m_canUnloadNow = nullptr;
};

void TestLumbrelApi::initTestCase() {
    QVERIFY2(m_library.load(), qPrintable(m_library.errorString()));
    m_registerServer = resolve<LumbrelRegisterServerFn>("DllRegisterServer");
    m_unregisterServer = resolve<LumbrelUnregisterServerFn>("DllUnregisterServer");
    m_getClassObject = resolve<LumbrelGetClassObjectFn>("DllGetClassObject");
    m_canUnloadNow = resolve<LumbrelCanUnloadNowFn>("DllCanUnloadNow");
    QVERIFY(m_registerServer);
    QVERIFY(m_unregisterServer);
    QVERIFY(m_getClassObject);
    QVERIFY(m_canUnloadNow);
}

// Every test registers again, so registering twice must be harmless.
void TestLumbrelApi::init() {
    QCOMPARE(m_registerServer(), LUMBREL_OK);
}

// Every test must leave no lamp alive behind it.
void TestLumbrelApi::cleanup() {
    QCOMPARE(m_canUnloadNow(), LUMBREL_OK);
}

std::unique_ptr<QWidget> TestLumbrelApi::createLamp(QWidget* parent) {
    LumbrelClassFactory factory;
    if (m_getClassObject("Lumbrel.StatusBox", &factory) != LUMBREL_OK)
        return nullptr;
    return std::unique_ptr<QWidget>(static_cast<QWidget*>(factory.createInstance(parent)));
}

void TestLumbrelApi::createsLampByClassId() {
    LumbrelClassFactory factory;
    QCOMPARE(m_getClassObject("Lumbrel.StatusBox", &factory), LUMBREL_OK);
    QCOMPARE(factory.description, "ActiveX Status box");
    QVERIFY(factory.createInstance);

    QWidget window;
    auto* lamp = static_cast<QWidget*>(factory.createInstance(&window));
    QVERIFY(lamp);
    QCOMPARE(lamp->parentWidget(), &window);
    QCOMPARE(lamp->metaObject()->className(), "StatusBox");
    QCOMPARE(lamp->property("ForeColor").toInt(), 0);
    QCOMPARE(fillOf(lamp), QColor(Qt::white));
}

// As the program does it: by property name, reading a refusal back by name.
void TestLumbrelApi::foreColorByName() {
    const std::unique_ptr<QWidget> lamp = createLamp();
    QVERIFY(lamp);
    QVERIFY(lamp->setProperty("ForeColor", QStringLiteral("3")));
    QCOMPARE(lamp->property("ForeColor").toInt(), 3);
    QCOMPARE(fillOf(lamp.get()), QColor(Qt::yellow));
    QCOMPARE(lastErrorOf(lamp.get()), "NoError");

    lamp->setProperty("ForeColor", 40000);
    QCOMPARE(lastErrorOf(lamp.get()), "Overflow");
    lamp->setProperty("ForeColor", QStringLiteral("abc"));
    QCOMPARE(lastErrorOf(lamp.get()), "TypeMismatch");
    QVERIFY(!lamp->property("lastErrorString").toString().isEmpty());
    QCOMPARE(lamp->property("ForeColor").toInt(), 3);
    QCOMPARE(fillOf(lamp.get()), QColor(Qt::yellow));
}

// A failed look-up clears the factory, so a host cannot call a stale one.
void TestLumbrelApi::refusesUnknownClassAndNullArguments() {
    LumbrelClassFactory factory;
    for (const char* classId : {"Nope.Box", "", "Lumbrel.StatusBox "}) {
        QCOMPARE(m_getClassObject("Lumbrel.StatusBox", &factory), LUMBREL_OK);
        QCOMPARE(m_getClassObject(classId, &factory), LUMBREL_E_CLASSNOTAVAILABLE);
        QVERIFY2(!factory.description && !factory.createInstance, classId);
    }

    QCOMPARE(m_getClassObject("Lumbrel.StatusBox", &factory), LUMBREL_OK);
    QCOMPARE(m_getClassObject(nullptr, &factory), LUMBREL_E_INVALIDARG);
    QVERIFY(!factory.createInstance);
    QCOMPARE(m_getClassObject("Lumbrel.StatusBox", nullptr), LUMBREL_E_INVALIDARG);
}

void TestLumbrelApi::canUnloadOnlyWithoutLiveLamps() {
    QCOMPARE(m_canUnloadNow(), LUMBREL_OK);

    std::unique_ptr<QWidget> single = createLamp();
    QVERIFY(single);
    QCOMPARE(m_canUnloadNow(), LUMBREL_FALSE);

    // Lamps owned by a window count until the window takes them down.
    auto window = std::make_unique<QWidget>();
    QVERIFY(createLamp(window.get()).release());
    QVERIFY(createLamp(window.get()).release());
    single.reset();
    QCOMPARE(m_canUnloadNow(), LUMBREL_FALSE);

    window.reset();
    QCOMPARE(m_canUnloadNow(), LUMBREL_OK);
}

void TestLumbrelApi::unregisteredClassIsNotHandedOut() {
    QCOMPARE(m_unregisterServer(), LUMBREL_OK);
    LumbrelClassFactory factory;
    QCOMPARE(m_getClassObject("Lumbrel.StatusBox", &factory), LUMBREL_E_CLASSNOTAVAILABLE);
    QVERIFY(!factory.createInstance);

    QCOMPARE(m_registerServer(), LUMBREL_OK);
    QCOMPARE(m_getClassObject("Lumbrel.StatusBox", &factory), LUMBREL_OK);
    QVERIFY(factory.createInstance);
}

void TestLumbrelApi::carriesToolboxBitmap() {
    const QImage bitmap(QStringLiteral(":/lumbrel/status_box.bmp"));
    QVERIFY(!bitmap.isNull());
    QCOMPARE(bitmap.size(), QSize(16, 15));
}

QTEST_MAIN(TestLumbrelApi)

#include "test_lumbrel_api.moc"
