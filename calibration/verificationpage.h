#pragma once
// VerificationPage: after the write, the device's own reading at reference
// loads. Capture (F5) takes a settled level through the reference dialog; the
// table shows each point's error and uncertainty, and the verdict below it.
// The figures come from the session; the page shows them and forwards.
#include "calibration/calibrationcontext.h"
#include "calibration/capturelevel.h"
#include "calibration/verification.h"

#include <QGroupBox>
#include <vector>

class QLabel;
class QPushButton;
class QTableWidget;

namespace qm {

class ReferenceInput;

class VerificationPage : public QGroupBox {
    Q_OBJECT
  public:
    VerificationPage(const CalibrationContext& ctx, ReferenceInput& dialog,
                     LiveSignalSource liveSignal, CaptureWindowSource window,
                     QWidget* parent = nullptr);

    QTableWidget* table() const { return m_table; }
    QLabel* verdictLabel() const { return m_verdict; }
    QPushButton* captureButton() const { return m_captureButton; }
    QLabel* readingLabel() const { return m_reading; }

    // The device's displayed value as the live poll has it ("-----" without one).
    void showReading(const QString& text);

    // Captions in the window's language; unit is the sensor's.
    void setTexts(const QString& unit);
    // The points with their figures, and the verdict.
    void showPoints(const std::vector<VerificationPoint>& points,
                    const VerificationSummary& summary, const VerificationInputs& inputs);

  signals:
    // A point was taken: the reference load and the level with the device's reading.
    void pointTaken(double reference, double signal, double indicated, double sdMean);

  public slots:
    void capture(); // F5 and the capture button

  private:
    CalibrationContext m_ctx;
    ReferenceInput& m_dialog;
    LiveSignalSource m_liveSignal;
    CaptureWindowSource m_window;
    QTableWidget* m_table;
    QLabel* m_reading;
    QLabel* m_verdict;
    QPushButton* m_captureButton;
};

} // namespace qm
