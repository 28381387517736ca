// The link line, the recording and the trends, as the main window drives
// them tick by tick.
#include "form_fixture.h"

#include "app/link_line.h"

#include <QChartView>
#include <QFile>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QTemporaryDir>

#include <csignal>
#include <sys/resource.h>

namespace {

QString linkText(const FormFixture& f) {
    return f.find<QLabel>("Link_Text")->text();
}

bool greyed(const FormFixture& f, const char* box) {
    const QLineEdit* edit = f.edit(box);
    return edit->palette().color(QPalette::Text) ==
           edit->palette().color(QPalette::Disabled, QPalette::Text);
}

// Files of this process may grow no further than bytes, while it lives.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_previous);
        rlimit limit = m_previous;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_previous); }

private:
    rlimit m_previous{};
};

} // namespace

class TestLink : public QObject {
    Q_OBJECT

private slots:
    // Three seconds without a good status reply: the line says so in a
    // warning colour and the values grey; the next reply brings them back.
    void staleAfterThreeSeconds() {
        FormFixture f;
        QCOMPARE(linkText(f), QStringLiteral("No port: port closed"));
        f.openPort();
        QVERIFY(linkText(f).startsWith("COM1 — /dev/fake1  ·  waiting for the first reply"));
        f.port->feed(statusReply() + hex("15 00 15 00") + statusReply());
        f.tick();
        QCOMPARE(linkText(f), QStringLiteral("COM1 — /dev/fake1  ·  last reply just now  ·  "
                                             "1 replies  ·  0 bad checksums  ·  0 refusals"));
        QByteArray bad = statusReply();
        bad[7] = char(bad[7] + 1);
        f.port->feed(bad);
        f.tick(12); // the second reply, then eleven ticks without one
        QVERIFY(linkText(f).contains("last reply 2 s ago  ·  2 replies  ·  1 bad checksums  ·  "
                                     "2 refusals"));
        QVERIFY(!greyed(f, "Temp1_Text"));
        f.tick();
        QVERIFY(linkText(f).contains("No reply for 3 s"));
        QVERIFY(greyed(f, "Temp1_Text") && greyed(f, "IntFanSpeed_Text"));
        QVERIFY(!greyed(f, "S_TECcoolStart_Text"));
        f.tick(8);
        QVERIFY(linkText(f).contains("No reply for 5 s"));
        f.port->feed(statusReply());
        f.tick();
        QVERIFY(linkText(f).contains("last reply just now"));
        QVERIFY(!greyed(f, "Temp1_Text"));
        f.port->unplug();
        QCOMPARE(linkText(f),
                 QStringLiteral("COM1 — /dev/fake1: the adapter is gone, the port was closed"));
        QVERIFY(greyed(f, "Temp1_Text"));
    }

    // One row per decoded reply; a write that fails stops the recording with
    // a message, and monitoring goes on.
    void recording() {
        FormFixture f;
        QTemporaryDir dir;
        const QString path = dir.filePath("session.csv");
        QAbstractButton* record = f.button("Record_Command");
        QCOMPARE(record->text(), QStringLiteral("Record…"));
        QVERIFY(f.form->linkLine()->startRecording(path));
        f.openPort();
        for (int i = 1; i <= 2; ++i) {
            f.port->feed(statusReply({{25, 81}}));
            f.tick();
            QCOMPARE(record->text(), QStringLiteral("Stop recording (%1 rows)").arg(i));
        }
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        QCOMPARE(lines.size(), 4); // the header, two rows, and the end of the last
        QVERIFY(lines[1].contains(",0.5,0,,"));

        {
            const FileSizeLimit full(rlim_t(file.size()));
            f.port->feed(statusReply());
            f.tick();
        }
        QCOMPARE(f.messages.texts.size(), 1);
        QVERIFY(
            f.messages.texts[0].startsWith("Recording stopped: " + path + " cannot be written"));
        QCOMPARE(record->text(), QStringLiteral("Record…"));
        f.port->feed(statusReply());
        f.tick();
        QCOMPARE(f.text("CommCtr_Text"), QStringLiteral("4"));
    }

    // The trends window is modeless and plots the session; a faulty sensor
    // leaves a gap, never a number.
    void trends() {
        FormFixture f;
        f.openPort();
        for (const int inner : {81, 82, 254, 83}) {
            f.port->feed(statusReply({{25, inner}}));
            f.tick();
        }
        f.button("Trends_Command")->click();
        QWidget* trends = f.window("TrendsWindow");
        QVERIFY(trends->isVisible() && !trends->isModal());
        // The values of each stretch of the inner temperature's line.
        const auto inner = [trends] {
            QList<QList<qreal>> stretches;
            for (const QChartView* view : trends->findChildren<QChartView*>()) {
                for (QAbstractSeries* series : view->chart()->series()) {
                    auto* line = static_cast<QLineSeries*>(series);
                    if (line->name() == "Inner" && line->count() > 0) {
                        stretches.append(QList<qreal>());
                        for (const QPointF& point : line->points()) {
                            stretches.last() << point.y();
                        }
                    }
                }
            }
            return stretches;
        };
        QCOMPARE(inner(), (QList<QList<qreal>>{{0.5, 1}, {1.5}}));
        f.port->feed(statusReply({{25, 84}}));
        f.tick();
        QCOMPARE(f.form->linkLine()->trends().samples().size(), std::size_t{5});
        QCoreApplication::processEvents(); // the plots follow once the tick is over
        QCOMPARE(inner(), (QList<QList<qreal>>{{0.5, 1}, {1.5, 2}}));
    }
};

QTEST_MAIN(TestLink)
#include "test_link.moc"
