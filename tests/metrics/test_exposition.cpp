// The exposition of snapshots: the whole text of a small one (sensors at
// fault, a controller never heard, labels to escape), and an order that does
// not depend on the order of the snapshot.
#include "sample_snapshot.h"

#include "metrics/exposition.h"

#include <QFile>
#include <QTest>

#include <algorithm>

using namespace brisco;
using namespace brisco::metrics;

class TestExposition : public QObject {
    Q_OBJECT

private slots:
    void wholeTextInAnyOrder() {
        QFile expected(QStringLiteral(BRISCO_EXPOSITION_EXPECTED));
        QVERIFY(expected.open(QIODevice::ReadOnly));
        QCOMPARE(exposition(sampleSnapshot()), expected.readAll());
        Snapshot snapshot = sampleSnapshot();
        std::reverse(snapshot.lines.begin(), snapshot.lines.end());
        std::rotate(snapshot.controllers.begin(), snapshot.controllers.begin() + 1,
                    snapshot.controllers.end());
        QCOMPARE(exposition(snapshot), exposition(sampleSnapshot()));
    }
};

QTEST_GUILESS_MAIN(TestExposition)
#include "test_exposition.moc"
