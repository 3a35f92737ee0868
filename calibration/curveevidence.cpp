#include "calibration/curveevidence.h"

#include "calibration/curveplot.h"
#include "calibration/deviationplot.h"
#include "calibration/fixedfont.h"
#include "calibration/linearity.h"
#include "calibration/sensorfields.h"
#include "calibration/workingcurve.h"
#include "core/langtable.h"
#include "core/numformat.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace qm {

QString linearityLine(std::optional<double> deviationPct, double spread, const QString& format,
                      std::optional<double> asFoundPct) {
    const QString deviation =
        deviationPct ? QString::asprintf("%+7.3f", *deviationPct) : QString(7, QLatin1Char(' '));
    if (spread < 0) return deviation;
    const QString line = deviation + QStringLiteral("  ") + FormatRight(spread, format);
    return asFoundPct ? line + QString::asprintf("  %+7.3f", *asFoundPct) : line;
}

CurveEvidence::CurveEvidence(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("fraEVIDENCE"));
    m_header = new QLabel(QStringLiteral("% FS  ±"));
    m_linearity = new QListWidget;
    m_linearity->setObjectName(QStringLiteral("lstLinearity"));
    m_linearity->setFont(FixedPitchFont());
    m_linearity->setSelectionMode(QAbstractItemView::NoSelection);
    m_linearity->setFocusPolicy(Qt::NoFocus);
    // Room for a deviation and a spread; the plots take the rest.
    m_linearity->setFixedWidth(
        QFontMetrics(m_linearity->font()).horizontalAdvance(QString(27, '0')) +
        2 * m_linearity->frameWidth() + 4);
    m_nonLinearity = new QLabel;
    m_nonLinearity->setObjectName(QStringLiteral("lblNonLinearity"));
    m_nonLinearity->setWordWrap(true);
    m_header->setWordWrap(true);
    m_nonLinearity->setMaximumWidth(m_linearity->width());
    m_header->setMaximumWidth(m_linearity->width());
    m_curvePlot = new CurvePlot;
    m_deviationPlot = new DeviationPlot;

    auto* column = new QVBoxLayout;
    column->addWidget(m_header);
    column->addWidget(m_linearity, 1);
    column->addWidget(m_nonLinearity);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(m_curvePlot, 0, 0);
    grid->addLayout(column, 0, 1, 2, 1);
    grid->addWidget(m_deviationPlot, 1, 0);
    grid->setRowStretch(0, 3);
    grid->setRowStretch(1, 2);
    grid->setColumnStretch(0, 1);
}

void CurveEvidence::setTexts(const LangTable& lang, const QString& unit) {
    m_curvePlot->setAxisTitles(UnitCaption(lang.text(kTextReferenceAxis), unit),
                               QStringLiteral("mV/V"));
    m_nonLinearityCaption = lang.text(kTextNonLinearity);
    m_deviationPlot->setCaption(m_nonLinearityCaption);
    m_header->setText(lang.text(kTextLinearityHeader) + QStringLiteral("  ") +
                      lang.text(kTextAsFoundHeader));
}

void CurveEvidence::showCurve(const WorkingCurve& curve, const QString& format) {
    const std::vector<CurvePoint> points = CurvePoints(curve);
    const std::optional<Linearity> lin = AnalyseLinearity(points);
    m_linearity->clear();
    // As found: the device's reading by its old curve against the reference.
    double fullScale = 0;
    for (const CurvePoint& p : points)
        fullScale = std::max(fullScale, std::abs(p.value));
    for (int i = 1; i <= curve.pointCount(); ++i) {
        const auto deviation =
            lin ? std::optional<double>(lin->deviationPct[size_t(i - 1)]) : std::nullopt;
        const WorkingCurve::Row p = curve.pointAt(i);
        std::optional<double> asFound;
        if (p.indicated && fullScale > 0) asFound = (*p.indicated - p.value) * 100 / fullScale;
        m_linearity->addItem(linearityLine(deviation, p.spread, format, asFound));
    }
    m_nonLinearity->setText(lin ? m_nonLinearityCaption + QStringLiteral(": ") +
                                      NonLinearityFigure(lin->nonLinearityPct)
                                : QString());
    m_curvePlot->setPoints(points);
    m_deviationPlot->show(points, lin);
}

void CurveEvidence::setLiveSignal(std::optional<double> mvPerV) {
    m_curvePlot->setLiveSignal(mvPerV);
}

} // namespace qm
