// The Lumbrel library through its entry points, and the StatusBox lamp
// through its meta-object, as a host that loads it by name uses them.
#include "lamp/lumbrel_api.h"

#include <QAccessible>
#include <QColor>
#include <QHash>
#include <QImage>
#include <QLibrary>
#include <QTest>
#include <QWidget>

#include <limits>
#include <memory>

namespace {

// The colour painted in the middle of the lamp's figure.
QColor paintedOf(QWidget* lamp) {
    lamp->resize(17, 15);
    return lamp->grab().toImage().pixelColor(
        lamp->findChild<QWidget*>(QStringLiteral("Shape1"))->geometry().center());
}

// ForeColor set as a dispatch interface would: false when refused.
bool assign(QWidget* lamp, const QVariant& value) {
    bool accepted = false;
    QMetaObject::invokeMethod(lamp, "setForeColor", Q_RETURN_ARG(bool, accepted),
                              Q_ARG(QVariant, value));
    return accepted;
}

} // namespace

class TestLamp : public QObject {
    Q_OBJECT

    QLibrary m_library{QStringLiteral(LUMBREL_PATH)};
    LumbrelClassFactory m_factory{};
    LumbrelCanUnloadNowFn canUnloadNow = nullptr;

    template <typename Fn> Fn entry(const char* name) {
        return reinterpret_cast<Fn>(m_library.resolve(name));
    }
    std::unique_ptr<QWidget> createLamp(QWidget* parent = nullptr) {
        return std::unique_ptr<QWidget>(static_cast<QWidget*>(m_factory.createInstance(parent)));
    }

private slots:
    void initTestCase() {
        QVERIFY2(m_library.load(), qPrintable(m_library.errorString()));
        canUnloadNow = entry<LumbrelCanUnloadNowFn>("DllCanUnloadNow");
        QCOMPARE(entry<LumbrelRegisterServerFn>("DllRegisterServer")(), LUMBREL_OK);
        const auto getClassObject = entry<LumbrelGetClassObjectFn>("DllGetClassObject");
        QCOMPARE(getClassObject(LUMBREL_STATUS_BOX_CLASS_ID, &m_factory), LUMBREL_OK);
    }
    // Every lamp a test made is gone again, and the library knows it.
    void cleanup() { QCOMPARE(canUnloadNow(), LUMBREL_OK); }

    // A fresh lamp is white with code 0; lamps owned by a window keep the
    // library loaded until the window takes them down.
    void freshLampOwnedByAWindow() {
        auto window = std::make_unique<QWidget>();
        QWidget* lamp = createLamp(window.get()).release();
        QCOMPARE(lamp->property("ForeColor").toInt(), 0);
        QCOMPARE(paintedOf(lamp), QColor(Qt::white));
        QCOMPARE(canUnloadNow(), LUMBREL_FALSE);
        window.reset();
        QCOMPARE(canUnloadNow(), LUMBREL_OK);
    }

    void assignments_data() {
        QTest::addColumn<QVariantList>("values");
        QTest::addColumn<QList<int>>("codes");
        QTest::addColumn<QList<QColor>>("colours");
        const QColor white(Qt::white), green(Qt::green), red(Qt::red), yellow(Qt::yellow);
        QTest::newRow("1, then -1 keeps green")
            << QVariantList{1, -1} << QList<int>{1, -1} << QList<QColor>{green, green};
        QTest::newRow("3, then 7 keeps yellow, then 0")
            << QVariantList{3, 7, 0} << QList<int>{3, 7, 0} << QList<QColor>{yellow, yellow, white};
        QTest::newRow("ties to even") << QVariantList{1.5, 2.5, -0.5} << QList<int>{2, 2, 0}
                                      << QList<QColor>{red, red, white};
    }
    // Each value is stored as the code and painted.
    void assignments() {
        QFETCH(QVariantList, values);
        QFETCH(QList<int>, codes);
        QFETCH(QList<QColor>, colours);
        const QHash<QRgb, QString> words{{QColor(Qt::white).rgb(), "off"},
                                         {QColor(Qt::green).rgb(), "green"},
                                         {QColor(Qt::red).rgb(), "red"},
                                         {QColor(Qt::yellow).rgb(), "yellow"}};
        const auto lamp = createLamp();
        for (qsizetype i = 0; i < values.size(); ++i) {
            QVERIFY(assign(lamp.get(), values[i]));
            QCOMPARE(lamp->property("ForeColor").toInt(), codes[i]);
            QCOMPARE(paintedOf(lamp.get()), colours[i]);
            // Heard as the colour shown, by name and value.
            const QAccessibleInterface* heard = QAccessible::queryAccessibleInterface(lamp.get());
            QCOMPARE(heard->text(QAccessible::Name), words[colours[i].rgb()]);
            QCOMPARE(heard->text(QAccessible::Value), words[colours[i].rgb()]);
        }
    }

    // The 16-bit limits, reached by every kind of value and by rounding
    // (halves to even): a refused value leaves code and colour and tells
    // why; an accepted one clears the error.
    void limits_data() {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<int>("code");
        QTest::addColumn<QByteArray>("error");
        const auto row = [](const char* name, const QVariant& value, int code, const char* error) {
            QTest::newRow(name) << value << code << QByteArray(error);
        };
        row("32767", 32767, 32767, "NoError");
        row("32768", qlonglong(32768), 2, "Overflow");
        row("-32768", -32768, -32768, "NoError");
        row("-32769", -32769, 2, "Overflow");
        row("unsigned 32767", 32767u, 32767, "NoError");
        row("unsigned 32768", 32768u, 2, "Overflow");
        row("32767.4", 32767.4, 32767, "NoError");
        row("32766.5 to even", 32766.5, 32766, "NoError");
        row("32767.5 rounds to 32768", 32767.5, 2, "Overflow");
        row("-32767.5 to even", -32767.5, -32768, "NoError");
        row("-32768.5 to even", -32768.5, -32768, "NoError");
        row("-32768.6", -32768.6, 2, "Overflow");
        row("text 32768", QStringLiteral("32768"), 2, "Overflow");
        row("NaN", std::numeric_limits<double>::quiet_NaN(), 2, "TypeMismatch");
    }
    void limits() {
        QFETCH(QVariant, value);
        QFETCH(int, code);
        QFETCH(QByteArray, error);
        const auto lamp = createLamp();
        QVERIFY(assign(lamp.get(), 2));
        QCOMPARE(assign(lamp.get(), value), error == "NoError");
        QCOMPARE(lamp->property("lastError").toByteArray(), error);
        QCOMPARE(lamp->property("ForeColor").toInt(), code);
        QCOMPARE(paintedOf(lamp.get()), QColor(Qt::red));
        QVERIFY(assign(lamp.get(), 1));
        QCOMPARE(lamp->property("lastError").toByteArray(), "NoError");
    }
};

QTEST_MAIN(TestLamp)
#include "test_lamp.moc"
