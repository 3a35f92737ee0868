#pragma once
// CurvePage: the curve page. Shows the working curve as a fixed-pitch list and
// edits it point by point through the reference value dialog.
#include "calibration/calibrationcontext.h"
#include "calibration/capturelevel.h"
#include "calibration/stability.h"

#include <QGroupBox>
#include <functional>
#include <optional>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace qm {

class ReferenceInput;

// One list line: the signal right-aligned in 10 ("###0.00000"), two blanks,
// the value with the stored mask right-aligned in the mask's width.
QString pointLine(double signal, double value, const QString& format);

class CurvePage : public QGroupBox {
    Q_OBJECT
  public:
    CurvePage(const CalibrationContext& ctx, ReferenceInput& dialog, LiveSignalSource liveSignal,
              QWidget* parent = nullptr);

    QListWidget* pointList() const { return m_pointList; }
    QLabel* signalCaption() const { return m_signalCaption; }
    QLabel* referenceCaption() const { return m_referenceCaption; }
    QPushButton* captureButton() const { return m_captureButton; }
    // 0 add, 1 delete, 2 clear.
    QPushButton* listButton(int i) const { return m_listButtons[i < 0 || i > 2 ? 0 : i]; }
    // Hidden; carries bit 0x08 of Flags.
    QCheckBox* bit24Box() const { return m_bit24Box; }
    // Shown while the values fall as the signal rises.
    QLabel* fallingNote() const { return m_fallingNote; }

    // lblCEth := "<reference> [unit]", blanks around the unit trimmed.
    void setEthUnit(const QString& unit);
    // With a window, Capture takes its mean and keeps its spread, and asks
    // before it takes a point while the signal settles.
    void setCaptureWindow(CaptureWindowSource window) { m_window = std::move(window); }

  signals:
    // The list was refilled: a point captured, added, edited or deleted, the
    // list cleared or filled from a record.
    void curveChanged();
    // A point was taken from the live signal (not typed).
    void pointCaptured();

  public slots:
    void capture(); // cmdSCAN, F5
    void Add();     // cmdListAction(0)
    void Edit();    // double-click in the list
    void Delete();  // cmdListAction(1)
    void Clear();   // cmdListAction(2)
    // Refills the list from the working curve; Delete off, Clear on when points stand.
    void fillPointList();

  private:
    int selectedLine() const; // 0-based, -1 when none
    void updateDeleteButton();
    // Shows the dialog prepared by the caller and appends its point with
    // what was captured (Capture, Add); true when it was appended.
    bool appendFromDialog(CapturedLevel level = {});
    // False, with the reason shown, for a signal beyond the sensor's input range.
    bool signalInRange(float signal);

    CalibrationContext m_ctx;
    ReferenceInput& m_dialog;
    LiveSignalSource m_liveSignal;
    CaptureWindowSource m_window;
    QListWidget* m_pointList;
    QLabel* m_signalCaption;
    QLabel* m_referenceCaption;
    QPushButton* m_captureButton;
    QPushButton* m_listButtons[3];
    QCheckBox* m_bit24Box;
    QLabel* m_fallingNote;
};

} // namespace qm
