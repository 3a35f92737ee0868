#pragma once
// The calibration curve drawn for the certificate: the stored curve as a
// line, the calibration points as rings, value across and signal upwards.
#include "report/certificatefigures.h"

#include <QRectF>

class QPainter;

namespace qm {

void DrawCurvePlot(QPainter& painter, const QRectF& area, const CertificateFigures& figures,
                   const QString& xLabel, const QString& yLabel);

} // namespace qm
