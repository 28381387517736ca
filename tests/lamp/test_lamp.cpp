// The Lumbrel library through its entry points, and the StatusBox lamp
// through its meta-object, as a host that loads it by name uses them.
#include "lamp/lumbrel_api.h"

#include <QColor>
#include <QImage>
#include <QLibrary>
#include <QLocale>
#include <QMetaEnum>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include <limits>
#include <memory>

namespace {

QColor fillOf(const QWidget* lamp) {
    return lamp->findChild<QWidget*>(QStringLiteral("Shape1"))
        ->property("fillColor")
        .value<QColor>();
}

QColor paintedOf(QWidget* lamp) {
    lamp->resize(17, 15);
    const QImage image = lamp->grab().toImage();
    return image.pixelColor(
        lamp->findChild<QWidget*>(QStringLiteral("Shape1"))->geometry().center());
}

// ForeColor set as a dispatch interface would: false when refused.
bool assign(QWidget* lamp, const QVariant& value) {
    bool accepted = false;
    QMetaObject::invokeMethod(lamp, "setForeColor", Q_RETURN_ARG(bool, accepted),
                              Q_ARG(QVariant, value));
    return accepted;
}

QByteArray lastErrorOf(const QWidget* lamp) {
    const QMetaObject* meta = lamp->metaObject();
    const QMetaEnum kinds = meta->enumerator(meta->indexOfEnumerator("ConversionError"));
    return kinds.valueToKey(lamp->property("lastError").toInt());
}

} // namespace

class TestLamp : public QObject {
    Q_OBJECT

    QLibrary m_library{QStringLiteral(LUMBREL_PATH)};
    LumbrelGetClassObjectFn getClassObject = nullptr;
    LumbrelCanUnloadNowFn canUnloadNow = nullptr;

    template <typename Fn> Fn entry(const char* name) {
        return reinterpret_cast<Fn>(m_library.resolve(name));
    }
    std::unique_ptr<QWidget> createLamp(QWidget* parent = nullptr) {
        LumbrelClassFactory factory;
        if (getClassObject(LUMBREL_STATUS_BOX_CLASS_ID, &factory) != LUMBREL_OK) {
            return nullptr;
        }
        return std::unique_ptr<QWidget>(static_cast<QWidget*>(factory.createInstance(parent)));
    }

private slots:
    void initTestCase() {
        QVERIFY2(m_library.load(), qPrintable(m_library.errorString()));
        getClassObject = entry<LumbrelGetClassObjectFn>("DllGetClassObject");
        canUnloadNow = entry<LumbrelCanUnloadNowFn>("DllCanUnloadNow");
        QVERIFY(getClassObject && canUnloadNow);
        // Registering twice is harmless.
        QCOMPARE(entry<LumbrelRegisterServerFn>("DllRegisterServer")(), LUMBREL_OK);
        QCOMPARE(entry<LumbrelRegisterServerFn>("DllRegisterServer")(), LUMBREL_OK);
    }
    void cleanup() { QCOMPARE(canUnloadNow(), LUMBREL_OK); }

    // A fresh lamp is white with code 0; lamps owned by a window keep the
    // library loaded until the window takes them down.
    void freshLampByClassIdentifier() {
        LumbrelClassFactory factory;
        QCOMPARE(getClassObject("Lumbrel.StatusBox", &factory), LUMBREL_OK);
        QCOMPARE(factory.description, "ActiveX Status box");
        auto window = std::make_unique<QWidget>();
        auto* lamp = static_cast<QWidget*>(factory.createInstance(window.get()));
        QCOMPARE(lamp->parentWidget(), window.get());
        QCOMPARE(lamp->metaObject()->className(), "StatusBox");
        QCOMPARE(lamp->property("ForeColor").typeId(), QMetaType::Short);
        QCOMPARE(lamp->property("ForeColor").toInt(), 0);
        QCOMPARE(paintedOf(lamp), QColor(Qt::white));
        QCOMPARE(canUnloadNow(), LUMBREL_FALSE);
        window.reset();
        QCOMPARE(canUnloadNow(), LUMBREL_OK);
        QCOMPARE(QImage(QStringLiteral(":/lumbrel/status_box.bmp")).size(), QSize(16, 15));
    }

    void classLookUp() {
        LumbrelClassFactory factory;
        for (const char* classId : {"Nope.Box", "", "Lumbrel.StatusBox "}) {
            QCOMPARE(getClassObject("Lumbrel.StatusBox", &factory), LUMBREL_OK);
            QCOMPARE(getClassObject(classId, &factory), LUMBREL_E_CLASSNOTAVAILABLE);
            QVERIFY2(!factory.description && !factory.createInstance, classId);
        }
        QCOMPARE(getClassObject(nullptr, &factory), LUMBREL_E_INVALIDARG);
        QCOMPARE(getClassObject("Lumbrel.StatusBox", nullptr), LUMBREL_E_INVALIDARG);
        QCOMPARE(entry<LumbrelUnregisterServerFn>("DllUnregisterServer")(), LUMBREL_OK);
        QCOMPARE(getClassObject("Lumbrel.StatusBox", &factory), LUMBREL_E_CLASSNOTAVAILABLE);
        QCOMPARE(entry<LumbrelRegisterServerFn>("DllRegisterServer")(), LUMBREL_OK);
        QCOMPARE(getClassObject("Lumbrel.StatusBox", &factory), LUMBREL_OK);
    }

    void assignments_data() {
        QTest::addColumn<QVariantList>("values");
        QTest::addColumn<QList<int>>("codes");
        QTest::addColumn<QList<QColor>>("colours");
        const QColor white(Qt::white), green(Qt::green), red(Qt::red), yellow(Qt::yellow);
        QTest::newRow("2 then 7 stays red")
            << QVariantList{2, 7} << QList<int>{2, 7} << QList<QColor>{red, red};
        QTest::newRow("3 then 0") << QVariantList{3, 0} << QList<int>{3, 0}
                                  << QList<QColor>{yellow, white};
        QTest::newRow("1 then -1")
            << QVariantList{1, -1} << QList<int>{1, -1} << QList<QColor>{green, green};
        QTest::newRow("1.5 and 2.5 both 2")
            << QVariantList{1.5, 2.5} << QList<int>{2, 2} << QList<QColor>{red, red};
        QTest::newRow("-0.5 is 0")
            << QVariantList{2, -0.5} << QList<int>{2, 0} << QList<QColor>{red, white};
        QTest::newRow("text 3, true -1") << QVariantList{QStringLiteral("3"), true}
                                         << QList<int>{3, -1} << QList<QColor>{yellow, yellow};
        QTest::newRow("16-bit ends") << QVariantList{32767, -32768} << QList<int>{32767, -32768}
                                     << QList<QColor>{white, white};
    }
    // Each value is stored, coloured and announced once.
    void assignments() {
        QFETCH(QVariantList, values);
        QFETCH(QList<int>, codes);
        QFETCH(QList<QColor>, colours);
        const auto lamp = createLamp();
        QSignalSpy notices(lamp.get(), SIGNAL(foreColorChanged(QVariant)));
        for (qsizetype i = 0; i < values.size(); ++i) {
            QVERIFY(assign(lamp.get(), values[i]));
            QCOMPARE(lastErrorOf(lamp.get()), "NoError");
            QCOMPARE(lamp->property("ForeColor").toInt(), codes[i]);
            QCOMPARE(fillOf(lamp.get()), colours[i]);
            QCOMPARE(notices.size(), i + 1);
            QCOMPARE(notices.last().at(0).toInt(), codes[i]);
        }
        QCOMPARE(paintedOf(lamp.get()), colours.last());
    }

    void refusals_data() {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QByteArray>("error");
        QTest::newRow("40000") << QVariant(40000) << QByteArray("Overflow");
        QTest::newRow("32767.5 rounds to 32768") << QVariant(32767.5) << QByteArray("Overflow");
        QTest::newRow("text 40000") << QVariant(QStringLiteral("40000")) << QByteArray("Overflow");
        QTest::newRow("qulonglong max")
            << QVariant(std::numeric_limits<qulonglong>::max()) << QByteArray("Overflow");
        QTest::newRow("abc") << QVariant(QStringLiteral("abc")) << QByteArray("TypeMismatch");
        QTest::newRow("invalid") << QVariant() << QByteArray("TypeMismatch");
        QTest::newRow("NaN") << QVariant(std::numeric_limits<double>::quiet_NaN())
                             << QByteArray("TypeMismatch");
    }
    // A refused value leaves code and colour and announces nothing; the
    // next good value clears the error.
    void refusals() {
        QFETCH(QVariant, value);
        QFETCH(QByteArray, error);
        const auto lamp = createLamp();
        QVERIFY(assign(lamp.get(), 2));
        QSignalSpy notices(lamp.get(), SIGNAL(foreColorChanged(QVariant)));
        QVERIFY(!assign(lamp.get(), value));
        QCOMPARE(lastErrorOf(lamp.get()), error);
        QVERIFY(!lamp->property("lastErrorString").toString().isEmpty());
        QCOMPARE(lamp->property("ForeColor").toInt(), 2);
        QCOMPARE(fillOf(lamp.get()), QColor(Qt::red));
        QCOMPARE(notices.size(), 0);
        QVERIFY(assign(lamp.get(), 1));
        QCOMPARE(lastErrorOf(lamp.get()), "NoError");
    }

    // Numeric text is read in the user's locale, and in the C locale failing that.
    void textInTheUsersLocale() {
        const auto lamp = createLamp();
        const QLocale previous;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const bool comma = assign(lamp.get(), QStringLiteral("2,5"));
        const int commaCode = lamp->property("ForeColor").toInt();
        const bool point = assign(lamp.get(), QStringLiteral("2.6"));
        QLocale::setDefault(previous);
        QVERIFY(comma && point);
        QCOMPARE(commaCode, 2);
        QCOMPARE(lamp->property("ForeColor").toInt(), 3);
    }
};

QTEST_MAIN(TestLamp)
#include "test_lamp.moc"
