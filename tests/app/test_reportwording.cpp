// What the window says for a read's stages and a save's outcome; text n reads "T<n>".
#include "app/readreport.h"
#include "app/savereport.h"

#include <QtTest>

using namespace qm;

namespace {
LangTable numbered() {
    LangTable t;
    for (int i = 1; i <= LangTable::kSize; ++i)
        t.set(i, QStringLiteral("T%1").arg(i));
    return t;
}
} // namespace

class TestReportWording : public QObject {
    Q_OBJECT
  private slots:
    void saveProblem_data() {
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("readBack");
        QTest::addColumn<QString>("error"); // backupError, or the refusal
        QTest::addColumn<QString>("text");
        QTest::newRow("refused") << int(kSaveConvertFailed) << 0 << "no room"
                                 << "T150\nno room.";
        QTest::newRow("no backup") << int(kSaveWriteFailed) << 0 << "gone"
                                   << "T117";
        QTest::newRow("differs") << int(kSaveWritten) << int(ReadBack::Differs) << ""
                                 << "T118\nT116";
        QTest::newRow("missing") << int(kSaveWritten) << int(ReadBack::Missing) << ""
                                 << "T119\nT116";
        QTest::newRow("agrees") << int(kSaveWritten) << int(ReadBack::Agrees) << ""
                                << "";
        QTest::newRow("unchanged") << int(kSaveUnchanged) << 0 << ""
                                   << "";
    }
    void saveProblem() {
        QFETCH(int, result);
        QFETCH(QString, error);
        SaveReport r;
        r.result = result;
        QFETCH(int, readBack);
        r.readBack = ReadBack(readBack);
        (result == kSaveConvertFailed ? r.refusal : r.backupError) = error;
        QTEST(SaveProblemText(numbered(), r), "text");
    }

    // Yes loads the defaults, Retry reads again, anything else (No is the
    // default button) keeps the sensor's data; the iTag has its own text.
    void badImageQuestion() {
        const Message m = BadImageQuestion(numbered(), kGroupTag);
        QCOMPARE(m.text, QStringLiteral("T77"));
        QCOMPARE(m.defaultButton, MsgNo);
        QCOMPARE(BadImageQuestion(numbered(), kGroupDevice).text, QStringLiteral("T76"));
        QCOMPARE(BadImageAnswer(MsgYes), BadImageChoice::LoadDefaults);
        QCOMPARE(BadImageAnswer(MsgRetry), BadImageChoice::ReadAgain);
        QCOMPARE(BadImageAnswer(MsgCancel), BadImageChoice::Keep);
        QCOMPARE(ReadFailureText(numbered(), -1, 3), QStringLiteral("T31 (COM3) T32"));
        QCOMPARE(ReadFailureText(numbered(), -2, 3), QStringLiteral("T35"));
        QVERIFY(ReadFailureText(numbered(), -3, 3).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestReportWording)
#include "test_reportwording.moc"
