// Reading numbers from boxes and the ranges of the entry checks.
#include "settings/entry_rules.h"
#include "settings/number_reading.h"

#include <QTest>

using namespace brisco::settings;

class TestSettings : public QObject {
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

    // Every entry check at both edges: the last value inside and the first
    // outside. A whole-number box rounds halves to even first.
    void entryRanges_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QStringList>(
            "texts"); // inside, outside the minimum; inside, outside the maximum
        const auto row = [](const char* box, const QStringList& texts) {
            QTest::newRow(box) << box << texts;
        };
        row("S_TECcoolStart_Text", {"20", "19.99", "45", "45.01"});
        row("S_TECcoolStop_Text", {"10", "9.99", "35", "35.01"});
        row("S_TECheatStart_Text", {"0", "-0.01", "15", "15.01"});
        row("S_TECheatStop_Text", {"10", "9.99", "20", "20.01"});
        row("S_IntFanPulse_Text", {"1.5", "1.49", "3.49", "3.5"});
        row("S_IntFanLowS_Text", {"600", "599.99", "5500", "5500.01"});
        row("S_IntFanHighS_Text", {"1500", "1499.99", "5500", "5500.01"});
        row("S_ExtFanPulse_Text", {"1.5", "1.49", "3.49", "3.5"});
        row("S_ExtFanHighS_Text", {"1999.5", "1999.49", "5500.5", "5500.51"});
        row("S_TempMax_Text", {"30", "29.99", "80", "80.01"});
        row("S_TempMin_Text", {"-40", "-40.01", "30", "30.01"});
        row("S_TECcurrL_Text", {"0.1", "0.09", "10", "10.01"});
        row("S_TECcurrH_Text", {"2", "1.99", "20", "20.01"});
        row("SetupT_Text", {"-40", "-40.01", "80", "80.01"});
        row("S_H_Fan_Text", {"0", "-0.01", "100", "100.01"});
    }
    void entryRanges() {
        QFETCH(QString, box);
        QFETCH(QStringList, texts);
        Range range = box == "SetupT_Text" ? kAnalogTempRange : kHydrogenPeriodRange;
        for (const SetPoint& setPoint : setPoints()) {
            if (box == QLatin1String(setPoint.entryName)) {
                range = setPoint.range;
            }
        }
        QStringList refused;
        for (const QString& text : texts) {
            if (!withinRange(range, text)) {
                refused << text;
            }
        }
        QCOMPARE(refused, (QStringList{texts[1], texts[3]}));
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
