#include "session/calibrationsession.h"

#include "calibration/linearity.h"
#include "calibration/recordfrompage.h"
#include "core/clock.h"
#include "core/numformat.h"
#include "core/settings.h"
#include "device/livepoll.h"
#include "records/databaseurl.h"
#include "records/operatorfields.h"
#include "session/sessionquestions.h"

#include <cmath>

namespace qm {

CalibrationSession::CalibrationSession(Clock& clock, TransportFactory& transports,
                                       SettingsStore& settings, SessionQuestions& questions,
                                       MessageSink* portErrors, QObject* parent)
    : QObject(parent), m_clock(clock), m_settings(settings), m_questions(questions),
      m_link(transports, clock, portErrors) {
    m_liveTimer.setInterval(kLiveIntervalMs);
    connect(&m_liveTimer, &QTimer::timeout, this, &CalibrationSession::pollLive);
}

CalibrationSession::~CalibrationSession() = default;

void CalibrationSession::lock() {
    if (m_busy++ == 0) emit busyChanged(true);
}

void CalibrationSession::unlock() {
    if (--m_busy == 0) emit busyChanged(false);
}

ReadContext CalibrationSession::readContext() {
    return ReadContext{m_link, m_clock.now().date(), [this](SensorStage s) { reached(s); }, {}};
}

void CalibrationSession::reached(SensorStage stage) {
    if (stage == SensorStage::ReadingSensor) stopLive();
    // The curve is what the sensor holds once it is read.
    if (stage == SensorStage::Done) m_curve.FillFromRecord(m_sensor.CurrentRecord);
    emit stageReached(stage);
}

ConnectOutcome CalibrationSession::connectAndRead(int port) {
    ConnectOutcome out;
    ConnectOptions options;
    options.settings = &m_settings;
    options.stopLiveTimer = [this] { stopLive(); };
    out.connect = ConnectDevice(m_link, port, options);
    if (out.connect == ConnectResult::OpenFailed) out.openError = m_link.lastError().code;
    if (out.connect != ConnectResult::Ok) return out;
    out.readResult = readAll();
    if (out.readResult > -1) m_unsavedCurve = false; // the pages show what the sensor holds
    return out;
}

int CalibrationSession::findDevice() {
    lock();
    const int port = FindDevice(m_link);
    unlock();
    return std::max(port, 0);
}

int CalibrationSession::readAll() {
    lock();
    stopLive();
    ReadContext ctx = readContext();
    ctx.onBadImage = [this](int group) { return m_questions.badImage(group); };
    SensorReadReport report;
    const int r = ReadAll(ctx, m_sensor, &report);
    m_deviceIdent = report.ident;
    if (r <= -1) emit readFailed(r, report.gap);
    unlock();
    return r;
}

void CalibrationSession::pollLive() {
    // A closed port (the line went dead) shows the same as a missing reply.
    const LiveTick tick = PollLive(m_link);
    const std::optional<Measurement>& m = tick.reading;
    m_live.valid = m.has_value();
    if (m) {
        m_live.div = m->div;
        m_live.signal = m->signal;
        m_live.display = m->display;
        // One digit of the display follows the level for a scientific mask.
        const double digit = DisplayDigit(m_sensor.CurrentRecord.Format, m->display);
        if (digit != m_stability.settings().digit) {
            StabilitySettings s = m_stability.settings();
            s.digit = digit;
            m_stability.setSettings(s);
        }
        m_stability.add({m_clock.tickMs(), m->signal, m->display, m->div});
    }
    m_stability.setNow(m_clock.tickMs());
    emit liveUpdated();
}

std::optional<CaptureWindow> CalibrationSession::captureWindow() const {
    const WindowSummary& w = m_stability.window();
    // A late or garbled reply leaves the window's readings good; readings that
    // stopped coming do not.
    if (!m_stability.isCurrent() || w.samples == 0) return std::nullopt;
    const StabilitySettings& s = m_stability.settings();
    return CaptureWindow{m_stability.isStable(), w.meanSignal, w.spreadDisplay,
                         s.digits * s.digit,     s.windowMs,   w.meanDisplay,
                         w.sdMeanDisplay};
}

bool CalibrationSession::autoCaptureDue() {
    // Once per settled level: a cancelled dialog does not come back until the
    // signal has moved and settled again.
    if (!m_stability.isStable()) m_autoCaptureArmed = true;
    if (!m_autoCapture || !m_autoCaptureArmed || busy() || !m_live.valid) return false;
    std::vector<double> captured;
    for (const CurvePoint& p : CurvePoints(m_curve))
        captured.push_back(p.signal);
    // Full scale in mV/V: the largest signal known, this level included.
    const double level = m_stability.window().meanSignal;
    double fullScale = std::max(std::abs(level), 1e-9);
    for (double c : captured)
        fullScale = std::max(fullScale, std::abs(c));
    if (!AutoCaptureDue(m_stability.isStable(), level, captured, fullScale)) return false;
    m_autoCaptureArmed = false;
    return true;
}

void CalibrationSession::openCurve() {
    const LiveEvidenceSettings s = ReadLiveEvidenceSettings(m_settings);
    m_autoCapture = s.autoCapture;
    m_stability.setSettings(s.stability);
    m_stability.clear();
    m_pointCaptured = false;
    startLive();
}

bool CalibrationSession::curveUnsaved() const {
    SensorRecord onPage = m_sensor.CurrentRecord;
    m_curve.CopyToRecord(onPage);
    // After a failed last write the record holds the points, the sensor does not.
    return !(onPage == m_sensor.CurrentRecord) || m_unsavedCurve;
}

PageRecord CalibrationSession::storeRecord(const SensorPageValues& values, uint8_t flags) {
    m_curve.sortBySignal();
    m_curve.CountPoints();
    PageRecord result = recordFromPage(values, m_curve, m_sensor.CurrentRecord,
                                       m_sensor.DisplayDigits, flags, m_clock.now());
    if (result.fault == PageFault::None) m_sensor.CurrentRecord = result.record;
    return result;
}

QString CalibrationSession::historyUrl() const {
    return m_history ? m_history->url() : QString();
}

bool CalibrationSession::openHistoryQuietly() {
    if (m_history && m_history->isOpen()) return true;
    m_history = std::make_unique<RecordStore>();
    m_historyStatus = m_history->open(ConfiguredDatabaseUrl(m_settings));
    return m_historyStatus.ok();
}

HistoryReady CalibrationSession::ensureHistory() {
    if (m_history && m_history->isOpen()) return HistoryReady::Open;
    m_history = std::make_unique<RecordStore>(); // a connection of its own
    m_historyStatus =
        OpenWriteHistory(*m_history, ConfiguredDatabaseUrl(m_settings), askRecordLocally());
    if (m_historyStatus.ok()) return HistoryReady::Open;
    return m_history->url() == LocalDatabaseUrl() ? HistoryReady::LocalFailed
                                                  : HistoryReady::Declined;
}

DatabaseStatus CalibrationSession::latestCalibration(const QString& serial,
                                                     CalibrationRecord& out) {
    if (!openHistoryQuietly()) return m_historyStatus;
    return m_history->latest(serial, out);
}

LocalFallback CalibrationSession::askRecordLocally() {
    return [this](HistoryStep step, const QString& url, const DatabaseStatus& failure) {
        m_historyStatus = failure;
        return m_questions.recordLocally(step, url);
    };
}

CalibrationRecord CalibrationSession::newRecord(RecordKind kind) const {
    CalibrationRecord rec = NewRecord(kind, LoadOperatorFields(m_settings), m_clock.now());
    rec.device = m_deviceIdent;
    return rec;
}

CurveFacts CalibrationSession::curveFacts() const {
    CurveFacts facts;
    for (int i = 1; i <= m_curve.pointCount(); ++i) {
        const WorkingCurve::Row p = m_curve.pointAt(i);
        CapturedFacts& f = facts.points.emplace_back();
        if (p.spread >= 0) f.spread = p.spread;
        if (p.indicated) {
            f.indicated = p.indicated;
            f.indicatedSd = p.indicatedSd;
        }
    }
    if (const auto lin = AnalyseLinearity(CurvePoints(m_curve)))
        facts.nonLinearity = lin->nonLinearityPct;
    return facts;
}

bool CalibrationSession::beginRecord(CalibrationRecord& rec) {
    m_historyStatus =
        m_history ? BeginWriteRecord(*m_history, rec, {}) : DatabaseStatus{kDbNotOpen, {}};
    return m_historyStatus.ok();
}

void CalibrationSession::recorded(const CalibrationRecord& rec, const DatabaseStatus& status) {
    m_historyStatus = status;
    m_lastRecord = status.ok() ? rec : CalibrationRecord{};
    if (!status.ok()) emit recordNotStored();
}

} // namespace qm
