#include "calibration/trendplot.h"

#include "calibration/plotsupport.h"
#include "core/numformat.h"

#include <QLabel>
#include <QLineSeries>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

namespace qm {

namespace {
const QColor kSettling(0xd0, 0x70, 0x10);
const QColor kStable(0x20, 0x90, 0x40);
const QColor kNoReading(0xb0, 0x20, 0x20);
constexpr double kMinSignalSpan = 0.001; // mV/V: a settled signal is not blown up to a band
constexpr qint64 kRedrawMs = 600;
} // namespace

TrendPlot::TrendPlot(QWidget* parent)
    : QWidget(parent), m_settlingWord(QStringLiteral("Ustaluje se")),
      m_stableWord(QStringLiteral("Stabilní")), m_noReadingWord(QStringLiteral("-----")),
      m_mask(QStringLiteral("###0.00")), m_axes(std::make_unique<PlotAxes>()) {
    setObjectName(QStringLiteral("trendPlot"));
    auto* holder = new QWidget;
    m_chart = NewPlotView(holder, *m_axes)->chart();
    AddSeries<QLineSeries>(m_chart, *m_axes, QStringLiteral("signal"));
    m_state = new QLabel;
    m_state->setObjectName(QStringLiteral("lblStability"));
    m_state->setAutoFillBackground(true);
    m_state->setMargin(3);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_state);
    layout->addWidget(holder, 1);
    showTrend({}, {}, LiveState::NoReading);
}

TrendPlot::~TrendPlot() = default;

QChart* TrendPlot::chart() const {
    return m_chart;
}

void TrendPlot::setStateWords(const QString& settling, const QString& stable,
                              const QString& noReading) {
    m_settlingWord = settling;
    m_stableWord = stable;
    m_noReadingWord = noReading;
}

void TrendPlot::setDisplayFormat(const QString& mask, const QString& unit) {
    m_mask = mask;
    m_unit = unit.trimmed();
}

void TrendPlot::setSpanSeconds(int seconds) {
    m_spanSeconds = std::max(1, seconds);
}

void TrendPlot::showTrend(const std::deque<LiveSample>& trend, const WindowSummary& window,
                          LiveState state) {
    showState(window, state);
    const bool stable = state == LiveState::Stable;
    // A second of trend is a few pixels: drawing it every poll costs CPU and
    // shows nothing more.
    const qint64 newest = trend.empty() ? 0 : trend.back().tMs;
    if (!trend.empty() && stable == m_drawnStable && newest >= m_drawnMs &&
        newest - m_drawnMs < kRedrawMs)
        return;
    m_drawnMs = trend.empty() ? std::numeric_limits<qint64>::min() / 2 : newest;
    m_drawnStable = stable;
    QList<QPointF> xy;
    xy.reserve(static_cast<qsizetype>(trend.size()));
    double lo = 0, hi = 0;
    if (!trend.empty()) {
        lo = hi = trend.back().signal;
        for (const LiveSample& s : trend) {
            xy.append({static_cast<double>(s.tMs - newest) / 1000.0, s.signal});
            lo = std::min(lo, s.signal);
            hi = std::max(hi, s.signal);
        }
    }
    auto* series = SeriesNamed(m_chart, QStringLiteral("signal"));
    series->replace(xy);
    series->setPen(QPen(stable ? kStable : kSettling, 1.5));
    SetRange(m_axes->x, {-m_spanSeconds, 0}, QStringLiteral(" s"));
    // Snapped, so that noise within the range does not lay the axis out anew.
    SetRange(m_axes->y, SnappedRange(PaddedRange(lo, hi, kMinSignalSpan)));
}

void TrendPlot::showState(const WindowSummary& window, LiveState state) {
    const QColor colour = state == LiveState::Stable     ? kStable
                          : state == LiveState::Settling ? kSettling
                                                         : kNoReading;
    const QString& word = state == LiveState::Stable     ? m_stableWord
                          : state == LiveState::Settling ? m_settlingWord
                                                         : m_noReadingWord;
    QString text = QStringLiteral("<b>%1</b>").arg(word.toHtmlEscaped());
    if (state != LiveState::NoReading && window.samples > 0)
        text += QStringLiteral("&nbsp;&nbsp;&Delta; %1 %2&nbsp;&nbsp;&Delta; %3 DIV")
                    .arg(FormatMask(window.spreadDisplay, m_mask).trimmed().toHtmlEscaped(),
                         m_unit.toHtmlEscaped(), QString::number(window.spreadCount, 'f', 0));
    if (text == m_state->text() && colour == m_state->palette().color(QPalette::Window)) return;
    m_state->setText(text);
    QPalette pal = m_state->palette();
    pal.setColor(QPalette::Window, colour);
    pal.setColor(QPalette::WindowText, Qt::white);
    m_state->setPalette(pal);
}

} // namespace qm
