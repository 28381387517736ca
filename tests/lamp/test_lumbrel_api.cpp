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
    void foreColorByName_data();
    void foreColorByName();
    void refusalReportedByName_data();
    void refusalReportedByName();
    void refusesUnknownClass_data();
    void refusesUnknownClass();
    void refusesNullArguments();
    void canUnloadOnlyWithoutLiveLamps();
    void registeringTwiceIsHarmless();
    void unregisteredClassIsNotHandedOut();
    void carriesToolboxBitmap();

private:
    std::unique_ptr<QWidget> createLamp(QWidget* parent = nullptr);

    QLibrary m_library{QStringLiteral(LUMBREL_PATH)};
    LumbrelRegisterServerFn m_registerServer = nullptr;
    LumbrelUnregisterServerFn m_unregisterServer = nullptr;
    LumbrelGetClassObjectFn m_getClassObject = nullptr;
    LumbrelCanUnloadNowFn m_canUnloadNow = nullptr;
};

void TestLumbrelApi::initTestCase() {
    QVERIFY2(m_library.load(), qPrintable(m_library.errorString()));
    m_registerServer =
        reinterpret_cast<LumbrelRegisterServerFn>(m_library.resolve("DllRegisterServer"));
    m_unregisterServer =
        reinterpret_cast<LumbrelUnregisterServerFn>(m_library.resolve("DllUnregisterServer"));
    m_getClassObject =
        reinterpret_cast<LumbrelGetClassObjectFn>(m_library.resolve("DllGetClassObject"));
    m_canUnloadNow = reinterpret_cast<LumbrelCanUnloadNowFn>(m_library.resolve("DllCanUnloadNow"));
    QVERIFY(m_registerServer);
    QVERIFY(m_unregisterServer);
    QVERIFY(m_getClassObject);
    QVERIFY(m_canUnloadNow);
}

void TestLumbrelApi::init() {
    QCOMPARE(m_registerServer(), LUMBREL_OK);
}

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

void TestLumbrelApi::foreColorByName_data() {
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("code");
    QTest::addColumn<QColor>("colour");

    QTest::newRow("1") << QVariant(1) << 1 << QColor(Qt::green);
    QTest::newRow("2") << QVariant(2) << 2 << QColor(Qt::red);
    QTest::newRow("1.5") << QVariant(1.5) << 2 << QColor(Qt::red);
    QTest::newRow("text 3") << QVariant(QStringLiteral("3")) << 3 << QColor(Qt::yellow);
    QTest::newRow("7") << QVariant(7) << 7 << QColor(Qt::white);
}

void TestLumbrelApi::foreColorByName() {
    QFETCH(QVariant, value);
    QFETCH(int, code);
    QFETCH(QColor, colour);

    const std::unique_ptr<QWidget> lamp = createLamp();
    QVERIFY(lamp);
    QVERIFY(lamp->setProperty("ForeColor", value));
    QCOMPARE(lamp->property("ForeColor").toInt(), code);
    QCOMPARE(fillOf(lamp.get()), colour);
    QCOMPARE(lastErrorOf(lamp.get()), "NoError");
}

void TestLumbrelApi::refusalReportedByName_data() {
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QByteArray>("error");

    QTest::newRow("40000") << QVariant(40000) << QByteArray("Overflow");
    QTest::newRow("abc") << QVariant(QStringLiteral("abc")) << QByteArray("TypeMismatch");
    QTest::newRow("invalid") << QVariant() << QByteArray("TypeMismatch");
}

void TestLumbrelApi::refusalReportedByName() {
    QFETCH(QVariant, value);
    QFETCH(QByteArray, error);

    const std::unique_ptr<QWidget> lamp = createLamp();
    QVERIFY(lamp);
    lamp->setProperty("ForeColor", 2);
    lamp->setProperty("ForeColor", value);
    QCOMPARE(lastErrorOf(lamp.get()), error);
    QVERIFY(!lamp->property("lastErrorString").toString().isEmpty());
    QCOMPARE(lamp->property("ForeColor").toInt(), 2);
    QCOMPARE(fillOf(lamp.get()), QColor(Qt::red));

    bool accepted = true;
    QVERIFY(QMetaObject::invokeMethod(lamp.get(), "setForeColor", Q_RETURN_ARG(bool, accepted),
                                      Q_ARG(QVariant, value)));
    QVERIFY(!accepted);
}

void TestLumbrelApi::refusesUnknownClass_data() {
    QTest::addColumn<QByteArray>("classId");

    QTest::newRow("other class") << QByteArray("Nope.Box");
    QTest::newRow("empty") << QByteArray("");
    QTest::newRow("library only") << QByteArray("Lumbrel");
    QTest::newRow("trailing blank") << QByteArray("Lumbrel.StatusBox ");
}

void TestLumbrelApi::refusesUnknownClass() {
    QFETCH(QByteArray, classId);

    LumbrelClassFactory factory;
    QCOMPARE(m_getClassObject("Lumbrel.StatusBox", &factory), LUMBREL_OK);
    QCOMPARE(m_getClassObject(classId.constData(), &factory), LUMBREL_E_CLASSNOTAVAILABLE);
    QVERIFY(!factory.description);
    QVERIFY(!factory.createInstance);
}

void TestLumbrelApi::refusesNullArguments() {
    LumbrelClassFactory factory;
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

    auto window = std::make_unique<QWidget>();
    QVERIFY(createLamp(window.get()).release());
    QVERIFY(createLamp(window.get()).release());
    single.reset();
    QCOMPARE(m_canUnloadNow(), LUMBREL_FALSE);

    window.reset();
    QCOMPARE(m_canUnloadNow(), LUMBREL_OK);
}

void TestLumbrelApi::registeringTwiceIsHarmless() {
    QCOMPARE(m_registerServer(), LUMBREL_OK);
    LumbrelClassFactory factory;
    QCOMPARE(m_getClassObject("Lumbrel.StatusBox", &factory), LUMBREL_OK);
    QCOMPARE(factory.description, "ActiveX Status box");
}

void TestLumbrelApi::unregisteredClassIsNotHandedOut() {
    QCOMPARE(m_unregisterServer(), LUMBREL_OK);
    LumbrelClassFactory factory;
    QCOMPARE(m_getClassObject("Lumbrel.StatusBox", &factory), LUMBREL_E_CLASSNOTAVAILABLE);
    QVERIFY(!factory.createInstance);
    QCOMPARE(m_unregisterServer(), LUMBREL_OK);

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
