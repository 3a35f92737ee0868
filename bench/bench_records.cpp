// What recording a calibration adds to it: opening the history (connect and
// schema check), adding one record of 10 points with its two images, and a
// write's two steps (started, then its outcome), in an SQLite file and, when
// QM07_TEST_POSTGRES names a server, in PostgreSQL. The median of many adds
// to a history that already holds a few hundred. Then the peak memory of
// qm07ctl history --json over 10,000 records, against the size it prints.
#include "records/operatorfields.h"
#include "records/recordstore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

using namespace qm;

namespace {

constexpr int kAdds = 300;

CalibrationRecord tenPoints() {
    CalibrationRecord r = NewRecord(RecordKind::Calibration, {"operator", "reference standard"},
                                    QDateTime::currentDateTimeUtc());
    r.device = "QM-07R";
    r.serialNo = "AC04WSK7";
    r.imageBefore = QByteArray(256, '\x5A');
    r.imageAfter = QByteArray(184, '\x81');
    r.backupPath = "/home/user/.local/share/QM-07R/backups/AC04WSK7-00-20261206-093000.bin";
    for (int i = 0; i < 10; ++i)
        r.points.push_back({i * 0.2, i * 50.0, 0.01, std::nullopt, std::nullopt});
    return r;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void measure(const char* name, const QString& url) {
    QElapsedTimer t;
    std::vector<double> opens, adds;
    for (int i = 0; i < 20; ++i) {
        RecordStore s;
        t.start();
        if (!s.open(url).ok()) {
            std::printf("%-10s cannot open %s\n", name, qPrintable(url));
            return;
        }
        opens.push_back(t.nsecsElapsed() / 1e6);
    }
    RecordStore store;
    store.open(url);
    for (int i = 0; i < kAdds; ++i) {
        CalibrationRecord r = tenPoints();
        t.start();
        if (!store.add(r).ok()) {
            std::printf("%-10s add failed\n", name);
            return;
        }
        adds.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("%-10s open %6.2f ms   add %6.2f ms (median; max %.2f ms over %d adds)\n", name,
                median(opens), median(adds), *std::max_element(adds.begin(), adds.end()), kAdds);
    std::vector<double> steps;
    for (int i = 0; i < kAdds; ++i) {
        CalibrationRecord r = tenPoints();
        t.start();
        if (!store.begin(r).ok() || !store.finish(r).ok()) {
            std::printf("%-10s begin/finish failed\n", name);
            return;
        }
        steps.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("%-10s started + finished %6.2f ms (median over %d writes)\n", name, median(steps),
                kAdds);
}

// 10,000 records of 10 points each, in one statement per table.
bool fill(const QString& file, int records) {
    RecordStore store;
    if (!store.open(file).ok()) return false;
    QSqlQuery q(store.database());
    const QString n = QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM "
                                     "n WHERE i < %1) ")
                          .arg(records);
    return q.exec(n + "INSERT INTO calibrations (kind, recorded_at, bench, operator_name,"
                      " reference_standard, device, serial_no, block, image_before, backup_path,"
                      " image_after, result, result_text) SELECT 'calibration',"
                      " '2026-12-06T10:00:00.000Z', 'bench', 'operator', 'reference', 'QM-07R',"
                      " 'AC04WSK7', 0, randomblob(256), '/backups/AC04WSK7-00.bin',"
                      " randomblob(184), 1, '' FROM n") &&
           q.exec(n +
                  "INSERT INTO calibration_points (calibration_id, idx, signal, reference,"
                  " spread) SELECT 1 + (i - 1) / 10, (i - 1) % 10, 0.2, 50, 0.01 FROM n"
                  " WHERE i <= " +
                  QString::number(records * 10));
}

void historyMemory(const QString& dir) {
    constexpr int kRecords = 10000;
    const QString file = dir + QStringLiteral("/large.sqlite");
    if (!fill(file, kRecords)) {
        std::printf("history --json: the large history could not be made\n");
        return;
    }
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QM07_DATABASE"), file);
    p.setProcessEnvironment(env);
    p.setStandardOutputFile(dir + QStringLiteral("/history.json"));
    p.start(QStringLiteral(QM07CTL_PATH), {QStringLiteral("history"), QStringLiteral("--json")});
    if (!p.waitForFinished(600000) || p.exitCode() != 0) {
        std::printf("history --json failed\n");
        return;
    }
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    std::printf("history --json of %d records: %.1f MB printed, peak memory %.1f MB\n", kRecords,
                QFileInfo(dir + QStringLiteral("/history.json")).size() / 1e6,
                usage.ru_maxrss / 1024.0);
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    measure("SQLite", dir.filePath("bench.sqlite"));
    const QString server = qEnvironmentVariable("QM07_TEST_POSTGRES");
    if (server.isEmpty())
        std::printf("PostgreSQL skipped: set QM07_TEST_POSTGRES=postgresql://user@/db?host=/dir\n");
    else
        measure("PostgreSQL", server);
    historyMemory(dir.path());
    return 0;
}
