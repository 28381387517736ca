#include "settings/number_reading.h"

#include <QTest>

#include <cmath>

using brisco::settings::readNumber;

class TestNumberReading : public QObject {
    Q_OBJECT

private slots:
    void leadingNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");

        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("letters") << "abc" << 0.0;
        QTest::newRow("integer") << "25" << 25.0;
        QTest::newRow("leading blanks") << "  25" << 25.0;
        QTest::newRow("negative") << "-40" << -40.0;
        QTest::newRow("decimal") << "2.5" << 2.5;
        QTest::newRow("trailing text") << "30abc" << 30.0;
        QTest::newRow("exponent") << "1e2" << 100.0;
        QTest::newRow("negative exponent") << "25E-1" << 2.5;
        QTest::newRow("exponent without digits") << "12e" << 12.0;
        QTest::newRow("exponent sign without digits") << "12e+" << 12.0;
        QTest::newRow("second point ends number") << "1.2.3" << 1.2;
        QTest::newRow("full-width digits are text") << "２５" << 0.0;
        QTest::newRow("hex is text") << "0x10" << 0.0;
    }
    void leadingNumber() {
        QFETCH(QString, text);
        QFETCH(double, expected);
        QCOMPARE(readNumber(text, QLocale::c()), expected);
    }

    void localeSeparator_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("comma") << "2,5" << 2.5;
        QTest::newRow("point still read") << "2.5" << 2.5;
        QTest::newRow("negative comma") << "-0,5" << -0.5;
    }
    void localeSeparator() {
        QFETCH(QString, text);
        QFETCH(double, expected);
        QCOMPARE(readNumber(text, QLocale(QLocale::German, QLocale::Germany)), expected);
    }

    void commaIsTextWhereThePointSeparates() {
        QCOMPARE(readNumber(QStringLiteral("2,5"), QLocale::c()), 2.0);
    }

    void hugeExponentIsNotFinite() {
        QVERIFY(std::isinf(readNumber(QStringLiteral("1e999"), QLocale::c())));
    }
};

QTEST_GUILESS_MAIN(TestNumberReading)
#include "test_number_reading.moc"
