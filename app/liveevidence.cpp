// The live display's evidence: the stability of the signal, its trend, the
// live marker on the curve plot and the optional auto-capture.
#include "app/liveevidence.h"

#include "app/mainwindow.h"
#include "calibration/curveevidence.h"
#include "calibration/curvepage.h"
#include "calibration/linearity.h"
#include "calibration/trendplot.h"
#include "core/settings.h"

#include <cmath>

namespace qm {

namespace {
const QString kSection = QStringLiteral("Stability");

// The number stored under key when it is finite and within [lo, hi].
std::optional<double> storedNumber(const SettingsStore& s, const char* key, double lo, double hi) {
    bool ok = false;
    const double v = s.value(kSection, QLatin1String(key)).trimmed().toDouble(&ok);
    return ok && std::isfinite(v) && v >= lo && v <= hi ? std::optional<double>(v) : std::nullopt;
}
} // namespace

LiveEvidenceSettings ReadLiveEvidenceSettings(const SettingsStore& settings) {
    LiveEvidenceSettings out;
    out.stability.windowMs =
        static_cast<int>(storedNumber(settings, "WindowMs", 300, 60000).value_or(2000));
    const double digits = storedNumber(settings, "Digits", 0, 1000).value_or(5);
    out.stability.digits = digits > 0 ? digits : 5;
    const QString autoCapture = settings.value(kSection, QStringLiteral("AutoCapture")).trimmed();
    out.autoCapture = autoCapture == QLatin1String("1") ||
                      autoCapture.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
    return out;
}

void MainWindow::createEvidence() {
    if (m_evidence) return;
    // Placed beside the page when it opens: the trend by the live display,
    // the plots and the linearity column by the list.
    m_trendPlot = new TrendPlot(this);
    m_evidence = new CurveEvidence(this);
    m_trendPlot->show();
    m_evidence->show();
}

void MainWindow::loadEvidenceSettings() {
    const LiveEvidenceSettings s = ReadLiveEvidenceSettings(m_services.settings);
    m_autoCapture = s.autoCapture;
    m_stability.setSettings(s.stability);
    m_trendPlot->setSpanSeconds(s.stability.trendMs / 1000);
}

void MainWindow::showLiveEvidence(const std::optional<Measurement>& m) {
    if (m) {
        // One digit of the display follows the level for a scientific mask.
        const QString& format = m_session.CurrentRecord.Format;
        const double digit = DisplayDigit(format, m->display);
        if (digit != m_stability.settings().digit) {
            StabilitySettings s = m_stability.settings();
            s.digit = digit;
            m_stability.setSettings(s);
        }
        m_stability.add({m_services.clock.tickMs(), m->signal, m->display, m->div});
    }
    m_stability.setNow(m_services.clock.tickMs());
    if (!m_evidence) return;
    m_trendPlot->showTrend(m_stability.trend(), m_stability.window(), m_stability.state());
    m_evidence->setLiveSignal(m ? std::optional<double>(m->signal) : std::nullopt);
    if (m) autoCaptureIfDue();
}

std::optional<CurvePage::CaptureWindow> MainWindow::captureWindow() const {
    const WindowSummary& w = m_stability.window();
    // A late or garbled reply leaves the window's readings good; readings that
    // stopped coming do not.
    if (!m_stability.isCurrent() || w.samples == 0) return std::nullopt;
    const StabilitySettings& s = m_stability.settings();
    return CurvePage::CaptureWindow{m_stability.isStable(), w.meanSignal, w.spreadDisplay,
                                    s.digits * s.digit, s.windowMs};
}

void MainWindow::autoCaptureIfDue() {
    // Once per settled level: a cancelled dialog does not come back until the
    // signal has moved and settled again.
    if (!m_stability.isStable()) m_autoCaptureArmed = true;
    if (!m_autoCapture || !m_autoCaptureArmed || m_autoCapturing || busy() ||
        !m_curvePage->isVisible())
        return;
    std::vector<double> captured;
    for (const CurvePoint& p : CurvePoints(m_curve))
        captured.push_back(p.signal);
    // Full scale in mV/V: the largest signal known, this level included.
    const double level = m_stability.window().meanSignal;
    double fullScale = std::max(std::abs(level), 1e-9);
    for (double c : captured)
        fullScale = std::max(fullScale, std::abs(c));
    if (!AutoCaptureDue(m_stability.isStable(), level, captured, fullScale)) return;
    m_autoCaptureArmed = false;
    m_autoCapturing = true;
    m_curvePage->capture();
    m_autoCapturing = false;
}

} // namespace qm
