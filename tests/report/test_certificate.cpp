// The certificate: the stored curve's values and deviations worked out by
// hand, and qm07ctl history/certificate against both backends, read back
// from the PDF with pdftotext.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

#include "records/recordstore.h"
#include "report/certificatefigures.h"
#include "report/certificatetexts.h"
#include "support/ctlrunner.h"
#include "support/files.h"
#include "support/layoutimage.h"
#include "support/testdatabases.h"

using namespace qm;

namespace {

// The layout image's curve (0, 0), (1, 250), (2, 500) kg, full scale 500, 3
// decimals, checked at points off the curve and one past its end.
CalibrationRecord Calibration() {
    CalibrationRecord r;
    r.timeUtc = QDateTime(QDate(2026, 12, 6), QTime(9, 30), Qt::UTC);
    r.bench = "bench-3";
    r.operatorName = "Jana Nováková";
    r.referenceStandard = "HBM Z4A 500 kg, cert. 1234/26";
    r.device = "QM-07R";
    r.serialNo = "AC04WSK7";
    r.backupPath = "/data/QM-07R/backups/AC04WSK7-00-20261206-093000.bin";
    r.imageAfter = testing::LayoutImage();
    r.points = {{0.0001, 0.02, 0.004},
                {1.0004, 250, std::nullopt},
                {1.9996, 499.95, 0.011},
                {2.2, 550.3, 0}};
    r.nonLinearity = 0.0421;
    return r;
}

// Signal, reference, curve, deviation %, spread as the certificate prints them.
const QStringList kRows[] = {{"0.000100", "0.020", "0.025", "0.001", "0.004"},
                             {"1.000400", "250.000", "250.100", "0.020", "–"},
                             {"1.999600", "499.950", "499.900", "-0.010", "0.011"},
                             {"2.200000", "550.300", "550.000", "-0.060", "0.000"}};

// qm07ctl on the history at url.
testing::CtlRun Ctl(const QStringList& args, const QString& url, const QString& home) {
    qputenv("QM07_DATABASE", url.toLocal8Bit());
    return testing::RunCtl(args, home, QString());
}

// The language file's texts from 200 up, as "N=text" lines.
QMap<int, QByteArray> CertificateEntries(const QString& file) {
    QMap<int, QByteArray> entries;
    for (const QByteArray& line : testing::FileBytes(file).split('\n')) {
        const qsizetype eq = line.indexOf('=');
        const int n = line.left(eq).toInt();
        if (n >= kFirstCertificateText && n <= kFirstCertificateText + 25)
            entries.insert(n, line.mid(eq + 1).trimmed());
    }
    return entries;
}

} // namespace

class TestCertificate : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

  private slots:
    void figuresOfTheStoredCurve() {
        const CertificateFigures f = FiguresOf(Calibration());
        QVERIFY(f.storedDecoded);
        QCOMPARE(f.fullScale, 500.0);
        QCOMPARE(f.decimals, 3);
        const double curve[] = {0.025, 250.1, 499.9, 550};
        const double deviation[] = {0.001, 0.02, -0.01, -0.06};
        QCOMPARE(f.rows.size(), 4u);
        for (size_t i = 0; i < 4; ++i) {
            QVERIFY(qAbs(*f.rows[i].curveValue - curve[i]) < 1e-9);
            QVERIFY(qAbs(*f.rows[i].deviation - deviation[i]) < 1e-9);
        }
        // Without a stored image there is no curve to compare with.
        CalibrationRecord bare = Calibration();
        bare.imageAfter.clear();
        const CertificateFigures b = FiguresOf(bare);
        QVERIFY(!b.storedDecoded && !b.rows[0].curveValue && !b.rows[0].deviation);
        QCOMPARE(b.fullScale, 550.3);
    }

    // en.lang says what the built-in English says, and the Czech file has every text.
    void languageFilesHoldEveryText() {
        const QMap<int, QByteArray> en = CertificateEntries(QM_LANG_DIR "/en.lang");
        const QMap<int, QByteArray> cs = CertificateEntries(QM_LANG_DIR "/qm07r.lang");
        const CertificateTexts builtIn;
        const CertificateTexts fromFile =
            CertificateTextsFrom([&](int n) { return QString::fromUtf8(en.value(n)); });
        QCOMPARE(fromFile.title, builtIn.title);
        QCOMPARE(fromFile.done, builtIn.done);
        QCOMPARE(fromFile.deviation, builtIn.deviation);
        QCOMPARE(cs.keys(), en.keys());
        QCOMPARE(en.lastKey(), kFirstCertificateText + 25);
    }

    void historyAndCertificate_data() { testing::AddBackendRows(); }
    void historyAndCertificate() {
        QFETCH(QString, backend);
        QM_SKIP_WITHOUT_SERVER(backend);
        const QString url = testing::FreshDatabaseUrl(backend, m_dir);
        CalibrationRecord rec = Calibration(), older = Calibration();
        older.timeUtc = older.timeUtc.addDays(-30);
        {
            RecordStore store;
            QVERIFY(store.open(url).ok());
            QVERIFY(store.add(rec).ok());
            QVERIFY(store.add(older).ok());
        }
        const testing::CtlRun history =
            Ctl({"history", "--serial", "AC04WSK7", "--json"}, url, m_dir.path());
        QCOMPARE(history.exitCode, 0);
        const QJsonArray all = QJsonDocument::fromJson(history.out).array();
        QCOMPARE(all.size(), 2);
        const QJsonObject newest = all[0].toObject();
        QCOMPARE(newest["id"].toInteger(), rec.id);
        QCOMPARE(newest["backupPath"].toString(), rec.backupPath);
        QCOMPARE(newest["points"].toArray()[2].toObject()["reference"].toDouble(), 499.95);
        QVERIFY(newest["points"].toArray()[1].toObject()["spread"].isNull());

        const QString pdf = m_dir.filePath(backend + ".pdf");
        const testing::CtlRun cert =
            Ctl({"certificate", "--serial", "AC04WSK7", "-o", pdf}, url, m_dir.path());
        QVERIFY2(cert.exitCode == 0, cert.err.constData());
        QProcess text;
        text.start("pdftotext", {"-layout", pdf, "-"});
        QVERIFY(text.waitForFinished(30000));
        const QString page = QString::fromUtf8(text.readAllStandardOutput()).simplified();
        for (const QString& expected :
             {QString("AC04WSK7"), rec.certificateNo, QString("Load cell 500 kg"),
              QString("Jana Nováková"), QString("0.042")})
            QVERIFY2(page.contains(expected), qPrintable(expected + " not in: " + page));
        for (const QStringList& row : kRows)
            QVERIFY2(page.contains(row.join(' ')), qPrintable(row.join(' ') + " not in: " + page));

        QCOMPARE(Ctl({"certificate", "--serial", "NOSUCH", "-o", pdf}, url, m_dir.path()).exitCode,
                 9);
        QCOMPARE(Ctl({"certificate", "--id", "1", "--serial", "S", "-o", pdf}, url, m_dir.path())
                     .exitCode,
                 2);
    }

    void unreachableHistory() {
        const testing::CtlRun r = Ctl(
            {"history"}, "postgresql://nobody@/qm07?host=" + m_dir.filePath("none"), m_dir.path());
        QCOMPARE(r.exitCode, 8);
        QVERIFY(r.err.contains("cannot open the history"));
    }
};

QTEST_MAIN(TestCertificate)
#include "test_certificate.moc"
