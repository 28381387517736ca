#include "settings/number_reading.h"

#include <QTest>

using brisco::settings::readNumber;

class TestNumberReading : public QObject {
    Q_OBJECT

private slots:
    void leadingNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<double>("expected");
        const QLocale c = QLocale::c(), german(QLocale::German, QLocale::Germany);
        QTest::newRow("letters") << "abc" << c << 0.0;
        QTest::newRow("exponent, trailing text") << "25E-1abc" << c << 2.5;
        QTest::newRow("exponent without digits") << "12e+" << c << 12.0;
        QTest::newRow("German comma") << "-0,5" << german << -0.5;
        QTest::newRow("comma where the point separates") << "2,5" << c << 2.0;
    }
    void leadingNumber() {
        QFETCH(QString, text);
        QFETCH(QLocale, locale);
        QFETCH(double, expected);
        QCOMPARE(readNumber(text, locale), expected);
    }
};

QTEST_GUILESS_MAIN(TestNumberReading)
#include "test_number_reading.moc"
