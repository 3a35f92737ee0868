#pragma once
// The calibration curve drawn for the certificate: the stored curve as a
// line, the calibration points as rings, signal across and value upwards.
#include "report/certificatefigures.h"

#include <QRectF>

class QPainter;

namespace qm {

void DrawCurvePlot(QPainter& painter, const QRectF& area, const CertificateFigures& figures,
                   const QString& xLabel, const QString& yLabel);

} // namespace qm
