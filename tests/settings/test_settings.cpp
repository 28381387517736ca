// Reading numbers from boxes, the ranges of the entry checks and the
// set-point files.
#include "settings/entry_rules.h"
#include "settings/number_reading.h"
#include "settings/setpoint_file.h"

#include <QTemporaryDir>
#include <QTest>

using namespace brisco::settings;

namespace {

// A set of each kind, every value inside its range.
SetPointFile sample(const QString& kind) {
    SetPointFile set;
    set.kind = kind == "factory" ? SetPointFile::Kind::Factory : SetPointFile::Kind::SetPoints;
    set.saved = QDateTime(QDate(2026, 12, 7), QTime(14, 5, 9), Qt::OffsetFromUTC, 3600);
    set.model = "TEC-48";
    set.pcbVersion = "1.0";
    set.softwareVersion = "VA2.1";
    set.address = 7;
    set.setPoints = {35, 30, 5, 15, 2, 1500, 3000, 2, 3000, 55, -10, 0.1, 10};
    set.factory = {{42, 2, 58, 3, 0, 0, 101, 102, 103, 104, 0, 30}, "10", true};
    return set;
}

} // namespace

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
        QTEST(readNumber(text, locale), "expected");
    }

    // Every entry check at both edges: the last value inside and the first
    // outside. A whole-number box rounds halves to even first.
    void entryRanges_data() {
        QTest::addColumn<QString>("box");
        // Inside, outside the minimum; inside, outside the maximum.
        QTest::addColumn<QStringList>("texts");
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
    // "text>typed written": the address entry's check as it is typed, and the
    // byte "Send addr" writes (rounded half to even, only 1..20; 0: none).
    void busAddressEntry_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("outcome");
        for (const char* row : {"0.49>1 0", "0.5>1 0", "0.51>1 1", "1.5>1 2", "2.5>1 2", "20>1 20",
                                "20.49>0 20", "20.5>0 20", "20.51>0 0", "21>0 0", "0>0 0",
                                "-0.5>1 0", "2e1>1 20", "2.05E1>0 20", "5e-1>1 0", "-1e400>1 0"}) {
            const QString text = QString::fromLatin1(row);
            QTest::newRow(row) << text.section(u'>', 0, 0) << text.section(u'>', 1);
        }
    }
    void busAddressEntry() {
        QFETCH(QString, text);
        QTEST(QStringLiteral("%1 %2")
                  .arg(addressEntryAccepted(text))
                  .arg(newBusAddress(text).value_or(0)),
              "outcome");
    }

    // A file of the first kind, edited, loaded as the second: refused whole
    // with the first thing wrong, or taken as it is written.
    void setFiles_data() {
        QTest::addColumn<QStringList>("kinds");
        QTest::addColumn<QString>("find"); // "=..." the whole file, "<50 MB>" a sparse one
        QTest::addColumn<QString>("replace");
        QTest::addColumn<QString>("error");
        const QStringList set{"set", "set"}, factory{"factory", "factory"};
        const auto row = [](const char* name, const QStringList& kinds, const char* find,
                            const char* replace, const char* error = "") {
            QTest::newRow(name) << kinds << find << replace << QString::fromUtf8(error);
        };
        row("set-points", set, "", "");
        row("factory values", factory, "", "");
        row("5500.5 rpm rounds to even", set, "\"ExtFanHighS\": 3000", "\"ExtFanHighS\": 5500.5");
        row("a version of one character", factory, "\"Ver\": \"10\"", "\"Ver\": \"1\"");
        row("not JSON", set, "\"address\": 7,", "\"address\": 7",
            "it is not JSON (unterminated object at byte 24)");
        row("no set", set, "=[]", "", "it holds no set");
        row("a key missing", set, "\"TempMax\": 55,", "", "the key \"TempMax\" is missing");
        row("out of range", set, "\"TempMax\": 55", "\"TempMax\": 81",
            "\"TempMax\" is 81, outside 30 to 80");
        row("3.5 pulses round to 4", set, "\"IntFanPulse\": 2", "\"IntFanPulse\": 3.5",
            "\"IntFanPulse\" is 3.5, outside 2 to 3");
        row("not a number", set, "\"TempMax\": 55", "\"TempMax\": \"55\"",
            "\"TempMax\" is not a number");
        row("factory values for set-points", {"factory", "set"}, "", "",
            "it holds factory values, which the factory window loads");
        row("set-points for factory values", {"set", "factory"}, "", "",
            "it holds user set-points, which the main window loads");
        row("another format", set, "brisco-set-points", "csv",
            "its format is \"csv\", not \"brisco-set-points\"");
        row("a newer format", set, "\"version\": 1", "\"version\": 2",
            "it is in format version 2, of a newer Brisco; this one reads version 1");
        row("a byte of 256", factory, "\"DCVlow\": 42", "\"DCVlow\": 256",
            "\"DCVlow\" is 256, not a whole number from 0 to 255");
        row("half a byte", factory, "\"DCVlow\": 42", "\"DCVlow\": 42.5",
            "\"DCVlow\" is 42.5, not a whole number from 0 to 255");
        row("hydrogen period 101", factory, "\"H_Fan\": 30", "\"H_Fan\": 101",
            "\"H_Fan\" is 101, not a whole number from 0 to 100");
        row("a version of three characters", factory, "\"Ver\": \"10\"", "\"Ver\": \"102\"",
            "\"Ver\" is \"102\", not one or two Latin-1 characters");
        row("a version beyond Latin-1", factory, "\"Ver\": \"10\"", "\"Ver\": \"€1\"",
            "\"Ver\" is \"€1\", not one or two Latin-1 characters");
        row("cooling only as a number", factory, "\"CoolingOnly\": true", "\"CoolingOnly\": 1",
            "\"CoolingOnly\" is not true or false");
        row("empty", set, "=", "", "it is empty");
        row("50 MB", set, "<50 MB>", "", "it is 52428800 bytes long, far longer than a set");
    }
    void setFiles() {
        QFETCH(QStringList, kinds);
        QFETCH(QString, find);
        QFETCH(QString, replace);
        QFETCH(QString, error);
        QTemporaryDir dir;
        QFile file(dir.filePath("set.json"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QString json = QString::fromUtf8(sample(kinds[0]).toJson());
        json = find.startsWith(u'=') ? find.mid(1) : json.replace(find, replace);
        QVERIFY(find == "<50 MB>" ? file.resize(50 << 20) : file.write(json.toUtf8()) >= 0);
        file.close();
        QString why;
        const auto loaded = SetPointFile::load(file.fileName(), sample(kinds[1]).kind, &why);
        QCOMPARE(why, error);
        QCOMPARE(loaded ? QString::fromUtf8(loaded->toJson()) : QString(),
                 error.isEmpty() ? json : QString());
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
