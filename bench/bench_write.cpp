// The wizard's last step against qm07r-sim with an iTag: SaveSensorCore for a
// 10-point curve (encode, back up, write, reset, read back, compare) into a
// sensor that holds a 10-point curve with the same texts. Once with every
// byte sent (104 + 8 x 10), once as a recalibration sends it (only the bytes
// that differ). Wall time against the waits the exchanges mandate for the
// bytes actually sent, and the CPU time this process spends (it should sleep).
#include "core/clock.h"
#include "device/discovery.h"
#include "device/portmap.h"
#include "device/serialtransport.h"
#include "sensor/writer.h"
#include "sim/simprocess.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

using namespace qm;

namespace {

constexpr int kPoints = 10;
constexpr int kBytes = 104 + 8 * kPoints;

// SaveSensorCore's Delay(250), the backup's block read (200 + 200 and one
// poll) and the block write's Delay(200); each byte a Delay(10) and one poll
// of Delay(10); the reset's 200 + 1000; ReadAll: 200, identification 100,
// nine "ER" reads of 10 + one poll, the "KQ" query 150, two blocks of 410.
constexpr double kBeforeBytesMs = 250 + 410 + 200;
constexpr double kByteMs = 20.0;
constexpr double kResetMs = 200 + 1000;
constexpr double kReadMs = 200 + 100 + 9 * 20 + 150 + 2 * 410;

double mandatedMs(double bytes) {
    return kBeforeBytesMs + bytes * kByteMs + kResetMs + kReadMs;
}

double cpuMs() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e6 +
            double(u.ru_utime.tv_usec + u.ru_stime.tv_usec)) /
           1e3;
}

struct Sample {
    double wallMs = 0, cpuMs = 0, bytes = 0;
    double firstByteMs = 0, lastByteMs = 0; // from the start of the save
};

// A curve as a new calibration captures it: every signal and value a little
// off the last run's, on a later day; the texts stay.
void setCurve(SensorRecord& rec, int run) {
    rec.PointCount = kPoints;
    for (int i = 0; i < kPoints; ++i) {
        rec.Signal[size_t(i)] = 0.2F * float(i) + 0.0013F * float(run + 1);
        rec.Value[size_t(i)] = 50.0F * float(i) + 0.07F * float(run + 1);
    }
    rec.FullScale = rec.Value[kPoints - 1];
}

struct Case {
    const char* name;
    bool allBytes;
};

// runs saves of the case; false when one failed.
bool measure(ReadContext& ctx, SensorSession& s, const QString& backups, const Case& c, int runs,
             int& run, Sample& avg) {
    std::vector<Sample> samples;
    for (int i = 0; i < runs; ++i, ++run) {
        setCurve(s.CurrentRecord, run);
        ctx.today = QDate::currentDate().addDays(run + 1);
        Sample x;
        QElapsedTimer t;
        t.start();
        const double cpu0 = cpuMs();
        const auto progress = [&](int k, int n) {
            if (k == 1) x.firstByteMs = double(t.nsecsElapsed()) / 1e6;
            if (k == n) x.lastByteMs = double(t.nsecsElapsed()) / 1e6;
        };
        const SaveReport report = SaveSensorCore(ctx, s, {false, backups, progress, c.allBytes});
        x.wallMs = double(t.nsecsElapsed()) / 1e6;
        x.cpuMs = cpuMs() - cpu0;
        x.bytes = report.bytesSent;
        if (report.result != kSaveWritten || report.readBack != ReadBack::Agrees) {
            std::fprintf(stderr, "bench_write: the save failed (%d, write %d): %s\n", report.result,
                         report.writeResult, qPrintable(report.backupError + report.refusal));
            return false;
        }
        samples.push_back(x);
    }
    double lo = 1e12, hi = 0;
    for (const Sample& x : samples) {
        avg.wallMs += x.wallMs / runs;
        avg.cpuMs += x.cpuMs / runs;
        avg.bytes += x.bytes / runs;
        avg.firstByteMs += x.firstByteMs / runs;
        avg.lastByteMs += x.lastByteMs / runs;
        lo = std::min(lo, x.wallMs);
        hi = std::max(hi, x.wallMs);
    }
    const double mandated = mandatedMs(avg.bytes);
    std::printf("  %s: %.1f of %d bytes sent\n", c.name, avg.bytes, kBytes);
    std::printf("    step 3 wall      %7.1f ms (min %.1f, max %.1f)  mandated waits %6.0f ms  "
                "over by %+5.1f%%\n",
                avg.wallMs, lo, hi, mandated, 100.0 * (avg.wallMs - mandated) / mandated);
    std::printf("    to the 1st byte  %7.1f ms   (mandated %.0f + one byte 20)\n", avg.firstByteMs,
                kBeforeBytesMs);
    if (avg.bytes > 1)
        std::printf("    per byte         %7.2f ms   (mandated 20.00)\n",
                    (avg.lastByteMs - avg.firstByteMs) / (avg.bytes - 1));
    std::printf("    reset + read back %6.1f ms   (mandated %.0f)\n", avg.wallMs - avg.lastByteMs,
                kResetMs + kReadMs);
    std::printf("    CPU              %7.1f ms = %4.2f%% of wall\n", avg.cpuMs,
                100.0 * avg.cpuMs / avg.wallMs);
    return true;
}

bool scenario(const char* name, const QStringList& simArgs, int runs) {
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("qm07r"));
    SimProcess sim;
    QString error;
    if (!sim.start(link, simArgs, &error)) {
        std::fprintf(stderr, "bench_write: %s\n", qPrintable(error));
        return false;
    }
    PortMap map;
    map.pin(1, link);
    SerialTransportFactory transports(map);
    RealClock clock;
    DeviceConnection connection(transports, clock);
    if (ConnectDevice(connection, 1) != ConnectResult::Ok) {
        std::fprintf(stderr, "bench_write: no device on %s\n", qPrintable(link));
        return false;
    }
    ReadContext ctx{connection, QDate::currentDate(), {}, {}};
    SensorSession s;
    if (ReadAll(ctx, s) != 1 || s.TagPresent != 1) {
        std::fprintf(stderr, "bench_write: the first read failed\n");
        return false;
    }
    const QString backups = dir.filePath(QStringLiteral("backups"));
    // The sensor holds a 10-point curve before the first measured save.
    int run = 0;
    setCurve(s.CurrentRecord, run++);
    const SaveReport primed = SaveSensorCore(ctx, s, {false, backups, {}, false});
    if (primed.readBack != ReadBack::Agrees) {
        std::fprintf(stderr, "bench_write: the first save failed (%d)\n", primed.writeResult);
        return false;
    }
    std::printf("%s\n", name);
    Sample full, recal;
    if (!measure(ctx, s, backups, {"full write (every byte)", true}, runs, run, full) ||
        !measure(ctx, s, backups, {"recalibration (the bytes that differ)", false}, runs, run,
                 recal))
        return false;
    const double mandated = mandatedMs(recal.bytes);
    std::printf("  recalibration / full write: wall %.3f (target at most 0.75), "
                "recalibration over its mandated waits %+.2f%% (target within 2%%)\n",
                recal.wallMs / full.wallMs, 100.0 * (recal.wallMs - mandated) / mandated);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    std::printf("SaveSensorCore, %d points (%d bytes) into the iTag of qm07r-sim, %d runs each\n",
                kPoints, kBytes, runs);
    bool ok = scenario("immediate replies", {}, runs);
    ok = scenario("paced at 115200 baud", {QStringLiteral("--paced")}, runs) && ok;
    std::printf("targets: wall within 10%% of the mandated waits (the recalibration within 2%%, "
                "at most 0.75 of the full write), CPU under 5%% of wall\n");
    return ok ? 0 : 1;
}
