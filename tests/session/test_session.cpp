// The calibration session without a window, on the virtual clock against the
// in-process simulated device: the wizard's work and the system calibration.
#include "core/clock.h"
#include "core/hex.h"
#include "core/settings.h"
#include "device/protocol.h"
#include "records/databaseurl.h"
#include "sensor/constantsbackup.h"
#include "session/calibrationsession.h"
#include "session/sessionquestions.h"
#include "sim/devicemodel.h"
#include "sim/simtransport.h"
#include "support/files.h"
#include "support/recordingtransport.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace qm;
using namespace Qt::StringLiterals;

namespace {

// Answers as scripted and keeps what was asked.
struct Questions final : SessionQuestions {
    QStringList asked;
    bool local = false;
    BadImageChoice badImage(int group) override {
        asked << QStringLiteral("bad image %1").arg(group);
        return BadImageChoice::Keep;
    }
    bool recordLocally(HistoryStep, const QString& url) override {
        asked << QStringLiteral("local instead of ") + url;
        return local;
    }
    bool retryBackup(const QString& error, QString&) override {
        asked << QStringLiteral("no backup: ") + error;
        return false;
    }
};

struct Bench {
    QTemporaryDir dir;
    VirtualClock clock;
    MemorySettingsStore settings;
    SimTransportFactory ports{clock};
    RecordingTransportFactory sent{ports};
    DeviceModel device;
    Questions questions;
    CalibrationSession session{clock, sent, settings, questions};
    QStringList timeline; // each request with the virtual time it went out

    Bench() {
        qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("data")).toLocal8Bit());
        ports.attach(3, device);
        sent.afterRequest = [this](const QByteArray& line) {
            timeline << QStringLiteral("%1 %2").arg(clock.tickMs()).arg(QString::fromLatin1(line));
        };
    }
    std::vector<CalibrationRecord> history(const QString& url = LocalDatabaseUrl()) const {
        RecordStore store;
        std::vector<CalibrationRecord> out;
        if (store.open(url).ok()) store.history(out);
        return out;
    }
    // The first request from index from on that starts with prefix; -1: none.
    int indexOf(const QString& prefix, int from = 0) const {
        for (int i = from; i < timeline.size(); ++i)
            if (timeline[i].section(u' ', 1).startsWith(prefix)) return i;
        return -1;
    }
    qint64 timeAt(int i) const { return timeline.value(i).section(u' ', 0, 0).toLongLong(); }
    void connect() { QCOMPARE(session.connectAndRead(3).readResult >= 0, true); }
};

} // namespace

class TestSession : public QObject {
    Q_OBJECT
  private slots:
    void init() { qunsetenv(kDatabaseEnv); }

    // Zápis: the history first, N and k backed up as the device held them,
    // both written, the device left 300 ms before its reset and 1 s after it,
    // read again and polled again; its record keeps both sides. Without a
    // history or a backup nothing is written and the poll goes on.
    void constantsWrite_data() {
        QTest::addColumn<QString>("fault");
        QTest::newRow("written") << QString();
        QTest::newRow("written, replies garbled") << u"garbled"_s;
        QTest::newRow("no history, local declined") << u"history"_s;
        QTest::newRow("no backup folder") << u"backup"_s;
    }
    void constantsWrite() {
        QFETCH(QString, fault);
        Bench b;
        if (fault == u"history")
            b.settings.setValue("Database", "Url",
                                "postgresql://x@/qm07?host=" + b.dir.filePath("none"));
        b.connect();
        const QByteArray before = b.device.memory().mid(0x90, 8);
        b.session.startLive();
        if (fault == u"backup") {
            QCOMPARE(b.session.ensureHistory(), HistoryReady::Open);
            qputenv("XDG_DATA_HOME",
                    testing::WriteFileBytes(b.dir.filePath("file"), "x").toLocal8Bit() + "/d");
        }
        if (fault == u"garbled") b.device.setFaults({.garbleRate = 0.1, .seed = 3});
        QSignalSpy busy(&b.session, &CalibrationSession::busyChanged);
        b.timeline.clear();
        const ConstantsOutcome out = b.session.writeConstants(100, 0.002);
        QCOMPARE(busy.size(), 2); // one lock over the whole write
        QVERIFY(b.session.liveTimer().isActive());
        b.device.setFaults({});
        if (fault == u"history" || fault == u"backup") {
            QCOMPARE(out.stopped, fault == u"history" ? ConstantsOutcome::NoHistory
                                                      : ConstantsOutcome::NoBackup);
            QCOMPARE(b.device.memory().mid(0x90, 8), before);
            QCOMPARE(b.indexOf("$00EW"), -1);
            QCOMPARE(b.history().size(), size_t(0));
            return;
        }
        QCOMPARE(out.stopped, ConstantsOutcome::None);
        QCOMPARE(b.device.memory().mid(0x90, 8), SingleBytes(100.f) + SingleBytes(0.002f));
        QCOMPARE(testing::FileBytes(out.backupPath), before);
        const int reset = b.indexOf("$00X");
        QVERIFY(b.timeAt(reset) - b.timeAt(b.indexOf("$00EW")) >= 300);
        QVERIFY(b.timeAt(reset + 1) - b.timeAt(reset) >= 1000);
        QCOMPARE(b.session.sensor().N, 100.0); // read again
        // The backup puts them back.
        QCOMPARE(RestoreConstants(b.session.link(), testing::FileBytes(out.backupPath)), 0);
        QCOMPARE(b.device.memory().mid(0x90, 8), before);
        const std::vector<CalibrationRecord> all = b.history();
        QCOMPARE(all.size(), size_t(1));
        QCOMPARE(all.front().kind, RecordKind::Constants);
        QCOMPARE(all.front().result, kRecordDone);
        QCOMPARE(all.front().imageBefore, before);
    }

    // The points captured on the curve: a calibration written and read back
    // is recorded as one, and the device is reset after it; a write that
    // stops midway keeps the points unsaved and the poll on, and records what
    // happened.
    void finishAWrite_data() {
        QTest::addColumn<int>("wrongEchoAt");
        QTest::newRow("written") << 0;
        QTest::newRow("stopped at byte 52") << 52;
    }
    void finishAWrite() {
        QFETCH(int, wrongEchoAt);
        Bench b;
        b.settings.setValue("Verification", "Tolerance", "0.25");
        b.settings.setValue("Verification", "ReferenceUncertainty", "0.02");
        b.connect();
        QVERIFY(!b.session.curveUnsaved());
        b.session.openCurve();
        WorkingCurve& curve = b.session.curve();
        curve.Clear();
        curve.Append(0.5f, 100.f, 0.02);
        curve.Append(1.5f, 300.f, 0.04);
        b.session.notePointCaptured();
        QVERIFY(b.session.curveUnsaved());
        SensorRecord& rec = b.session.sensor().CurrentRecord;
        curve.CopyToRecord(rec);
        b.device.setFaults({.wrongEchoAt = wrongEchoAt});
        b.timeline.clear();
        SaveOutcome saved;
        const FinishResult r = b.session.finish(&saved);
        const std::vector<CalibrationRecord> all = b.history();
        QCOMPARE(all.size(), size_t(1));
        if (wrongEchoAt) {
            QCOMPARE(r, FinishResult::SaveFailed);
            QCOMPARE(saved.report.result, kSaveWriteFailed);
            QVERIFY(b.session.curveUnsaved());
            QVERIFY(b.session.liveTimer().isActive());
            QVERIFY(all.front().result != kRecordDone);
            return;
        }
        QCOMPARE(r, FinishResult::Done);
        QVERIFY(b.timeline.last().endsWith(" $00X")); // the device reset comes last
        QCOMPARE(all.front().kind, RecordKind::Calibration);
        QCOMPARE(all.front().tolerance.value_or(0), 0.25); // the lab's, for its as-found table
        QCOMPARE(all.front().referenceUncertainty.value_or(0), 0.02);
        QCOMPARE(all.front().points.size(), size_t(2));
        QCOMPARE(all.front().points.at(1).spread.value_or(-1), 0.04);
        QCOMPARE(b.session.lastRecord().id, all.front().id);
        QVERIFY(!b.session.lastRecord().certificateNo.isEmpty());
    }
};

QTEST_MAIN(TestSession)
#include "test_session.moc"
