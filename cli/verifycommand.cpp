#include "cli/verifycommand.h"

#include "calibration/stability.h"
#include "calibration/verification.h"
#include "cli/devicelink.h"
#include "cli/historystore.h"
#include "core/numformat.h"
#include "device/livepoll.h"
#include "session/verificationrecord.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>
#include <algorithm>
#include <cmath>

namespace qm::cli {

namespace {

constexpr int kPollMs = 150;

QString directionWord(LoadDirection d) {
    return d == LoadDirection::Descending ? QStringLiteral("descending")
                                          : QStringLiteral("ascending");
}

QString line(const QJsonObject& o) {
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

QString number(double v) {
    return QString::number(v, 'f', 6);
}

} // namespace

int RunVerify(Context& ctx, const QStringList& args) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Reads reference values in the sensor's unit from standard input, one a line, each "
        "given when its load is applied. For each it waits until the reading is stable "
        "(a fresh 2 s window within 5 display digits), takes the window's mean displayed value "
        "and signal and prints the point: reference, indicated, signal, error and error in % of "
        "full scale, direction. At the end of input it prints hysteresis, repeatability, the "
        "largest expanded uncertainty (k = 2) and the verdict, and records the verification. "
        "Exit 0 on pass, 10 on fail, 11 when a reading does not settle in time, 2 for a value "
        "that is not a number, 4 when the device does not answer, 8 when the history cannot "
        "be opened."));
    const QCommandLineOption tolerance(QStringLiteral("tolerance"),
                                       QStringLiteral("The tolerance in % of full scale (default: "
                                                      "the settings' Verification/Tolerance)."),
                                       QStringLiteral("PCT"));
    const QCommandLineOption settle(
        QStringLiteral("settle-timeout"),
        QStringLiteral("Seconds to wait for a stable reading (default 60)."), QStringLiteral("S"));
    const QCommandLineOption json(QStringLiteral("json"),
                                  QStringLiteral("One JSON object a line."));
    parser.addOptions({tolerance, settle, json});
    int exitCode = kExitOk;
    if (!ParseCommandArgs(parser, ctx, args, 0, exitCode)) return exitCode;
    const QtSettingsStore settings;
    double tolerancePct = ToleranceSetting(settings);
    if (parser.isSet(tolerance)) {
        const auto v = ReadTypedNumber(parser.value(tolerance));
        if (!v || !(*v > 0) || !std::isfinite(*v))
            return Fail(ctx, QStringLiteral("--tolerance needs a positive number"), kExitBadInput);
        tolerancePct = *v;
    }
    double settleSeconds = 60;
    if (parser.isSet(settle)) {
        const auto v = ReadTypedNumber(parser.value(settle));
        if (!v || !(*v > 0) || *v > 86400)
            return Fail(ctx, QStringLiteral("--settle-timeout needs seconds from 0 to 86400"),
                        kExitBadInput);
        settleSeconds = *v;
    }
    const bool asJson = parser.isSet(json);

    // Nothing is written into the sensor, but the result must be storable.
    RecordStore store;
    if (!OpenHistory(ctx, store, exitCode)) return exitCode;
    DeviceLink link;
    if (!link.choosePort(ctx, exitCode) || !link.connect(ctx, exitCode)) return exitCode;
    SensorSession session;
    QString ident;
    if (!link.readAll(ctx, session, exitCode, &ident)) return exitCode;
    const SensorRecord& sensor = session.CurrentRecord;
    Clock& clock = link.clock();

    QFile input;
    if (!input.open(stdin, QIODevice::ReadOnly))
        return Fail(ctx, QStringLiteral("standard input cannot be read"), kExitBadInput);
    QTextStream in(&input);
    StabilityDetector stability;
    std::vector<VerificationPoint> series;
    double digit = DisplayDigit(sensor.Format);
    for (QString typed; in.readLineInto(&typed);) {
        if (typed.trimmed().isEmpty()) continue;
        const auto reference = ReadTypedNumber(typed);
        if (!reference || !std::isfinite(*reference))
            return Fail(ctx, QStringLiteral("not a reference value: ") + typed.trimmed(),
                        kExitBadInput);
        // A fresh window: readings from before this load was applied do not count.
        stability.clear();
        const qint64 deadline = clock.tickMs() + qint64(settleSeconds * 1000);
        // The first reply answers the request sent before this load was typed.
        for (bool first = true; !stability.isStable(); first = false) {
            if (clock.tickMs() > deadline)
                return Fail(ctx,
                            QStringLiteral("the reading at %1 did not settle within %2 s")
                                .arg(typed.trimmed())
                                .arg(settleSeconds),
                            kExitNotSettled);
            clock.delay(kPollMs);
            const LiveTick tick = PollLive(link.connection());
            if (!tick.portOpen)
                return Fail(ctx, QStringLiteral("the line to %1 was lost").arg(link.where()),
                            kExitDevice);
            if (tick.reading && !first) {
                digit = DisplayDigit(sensor.Format, tick.reading->display);
                StabilitySettings s = stability.settings();
                s.digit = digit;
                if (s.digit != stability.settings().digit) stability.setSettings(s);
                stability.add({clock.tickMs(), tick.reading->signal, tick.reading->display,
                               tick.reading->div});
            }
            stability.setNow(clock.tickMs());
        }
        const WindowSummary& w = stability.window();
        series.push_back({*reference, w.meanDisplay, w.meanSignal, w.sdMeanDisplay});
        const double fs = VerificationFullScale(sensor, series);
        const double error = w.meanDisplay - *reference;
        const double errorFS = fs > 0 ? error * 100 / fs : 0;
        const QString direction = directionWord(LoadDirections(series, digit).back());
        const QString text =
            asJson ? line({{"reference", *reference},
                           {"indicated", w.meanDisplay},
                           {"signal", w.meanSignal},
                           {"error", error},
                           {"errorFS", errorFS},
                           {"direction", direction}})
                   : QStringLiteral("%1 %2 %3 error %4 (%5 %FS) %6")
                         .arg(number(*reference), number(w.meanDisplay), number(w.meanSignal),
                              number(error), number(errorFS), direction);
        if (!Print(ctx, text.toUtf8() + '\n')) return kExitBadInput;
    }
    if (series.empty())
        return Fail(ctx, QStringLiteral("no reference values were given"), kExitBadInput);

    const double fs = VerificationFullScale(sensor, series);
    const double referenceU = ReferenceUncertaintySetting(settings);
    const VerificationSummary v = Verify(series, {fs, digit, referenceU, tolerancePct});
    CalibrationRecord rec = NewWriteRecord(RecordKind::Verification, clock.now());
    rec.device = ident;
    if (CalibrationRecord checked; store.latest(sensor.SerialNo.trimmed(), checked).ok())
        rec.checks = checked.id;
    FillVerificationRecord(rec, session, series, {fs, digit, referenceU, tolerancePct}, v);
    if (const DatabaseStatus s = store.add(rec); !s.ok())
        return Fail(ctx, QStringLiteral("the verification could not be recorded: ") + s.text,
                    kExitHistory);
    const QString summary =
        asJson ? line({{"points", int(series.size())},
                       {"maxErrorFS", v.maxErrorFS},
                       {"hysteresisFS", v.hysteresisFS},
                       {"repeatabilityFS", v.repeatabilityFS},
                       {"expandedUncertainty", v.maxExpanded},
                       {"fullScale", fs},
                       {"tolerance", tolerancePct},
                       {"verdict", rec.verdict},
                       {"record", rec.id}})
               : QStringLiteral("%1 points, max error %2 %FS, hysteresis %3 %FS, repeatability %4 "
                                "%FS, expanded uncertainty (k = 2) %5, tolerance %6 %FS: %7, "
                                "recorded as #%8")
                     .arg(series.size())
                     .arg(number(v.maxErrorFS), number(v.hysteresisFS), number(v.repeatabilityFS),
                          number(v.maxExpanded), number(tolerancePct), rec.verdict)
                     .arg(rec.id);
    if (!Print(ctx, summary.toUtf8() + '\n')) return kExitBadInput;
    return v.pass ? kExitOk : kExitNotVerified;
}

} // namespace qm::cli
