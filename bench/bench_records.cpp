// What recording a calibration adds to it: opening the history (connect and
// schema check) and adding one record of 10 points with its two images, in an
// SQLite file and, when QM07_TEST_POSTGRES names a server, in PostgreSQL.
// The median of many adds to a history that already holds a few hundred.
#include "records/operatorfields.h"
#include "records/recordstore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
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
        r.points.push_back({i * 0.2, i * 50.0, 0.01});
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
    return 0;
}
