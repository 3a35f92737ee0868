// The controls of the main window and where they stand, in twips.
#include "app/mainwindow.h"
#include "app/servicewiring.h"
#include "calibration/curvepage.h"
#include "calibration/referencedialog.h"
#include "calibration/sensorpage.h"
#include "service/systemcalibration.h"

#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace qm {

namespace {

template <typename W> W* make(QWidget* parent, const char* name, const QRect& geometry) {
    auto* w = new W(parent);
    w->setObjectName(QLatin1String(name));
    w->setGeometry(geometry);
    return w;
}

QLabel* label(QWidget* parent, const char* name, const QRect& geometry, const QString& text) {
    auto* l = make<QLabel>(parent, name, geometry);
    l->setText(text);
    return l;
}

void setPointSize(QWidget* w, int points, bool bold = false) {
    QFont f = w->font();
    f.setPointSize(points);
    f.setBold(bold);
    w->setFont(f);
}

} // namespace

void MainWindow::buildControls() {
    const Twips& tw = m_tw;

    // Port page.
    fraCOMM = make<QGroupBox>(this, "fraCOMM", tw.rect(120, 240, 4875, 5355));
    lblPortPopis = label(fraCOMM, "lblPortPopis", tw.rect(240, 480, 4395, 1455),
                         QStringLiteral("Vyberte sériový port, kde je připojeno zařízení Tarvo "
                                        "R-40 a stiskněte tlačítko /Další/"));
    lblPortPopis->setWordWrap(true);
    lblPortPopis->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    cmbPort = make<QComboBox>(fraCOMM, "cmbPort", tw.rect(240, 2160, 4395, 375));
    cmdSCANQM07 = make<QPushButton>(fraCOMM, "cmdSCANQM07", tw.rect(240, 2760, 1575, 420));
    cmdSCANQM07->setText(QStringLiteral("Vyhledat"));

    // Sensor page, laid out beyond the right edge until the first activation.
    m_sensorPage = new SensorPage(m_calib, this);
    m_sensorPage->setGeometry(tw.rect(9840, 240, 4875, 5355));

    // Curve page and its live signal panel.
    m_curvePage = new CurvePage(
        m_calib, *m_inputBox,
        [this] { return m_liveValid ? std::optional<double>(m_liveSignal) : std::nullopt; }, this);
    m_curvePage->setGeometry(tw.rect(300, 1680, 4515, 3840));
    m_curvePage->setCaptureWindow([this] { return captureWindow(); });
    connect(m_curvePage, &CurvePage::curveChanged, this, &MainWindow::showCurveEvidence);
    fraDISPLAY = make<QFrame>(this, "fraDISPLAY", tw.rect(600, 360, 4020, 1230));
    fraDISPLAY->setFrameShape(QFrame::Panel);
    fraDISPLAY->setFrameShadow(QFrame::Sunken);
    fraDISPLAY->setAutoFillBackground(true);
    fraDISPLAY->setStyleSheet(QStringLiteral("QFrame#fraDISPLAY { background: black; }"
                                             "QLabel { color: #00ff00; }"));
    lblSignal =
        label(fraDISPLAY, "lblSignal", tw.rect(60, 240, 2940, 735), QStringLiteral("-----"));
    lblSignal->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    {
        QFont f(QStringLiteral("Courier New"));
        f.setStyleHint(QFont::Monospace);
        f.setPointSize(24);
        f.setBold(true);
        lblSignal->setFont(f);
    }
    lblIUnit = label(fraDISPLAY, "lblIUnit", tw.rect(3120, 600, 840, 315), QStringLiteral("mV/V"));
    setPointSize(lblIUnit, 10, true);
    lblIIntExt =
        label(fraDISPLAY, "lblIIntExt", tw.rect(3120, 240, 840, 315), QStringLiteral("INT"));
    setPointSize(lblIIntExt, 10, true);
    lblIIntExt->setVisible(false);
    // The panel's limit and battery lamps; nothing lights them.
    for (const char* name : {"lblILimLO", "lblILimHI", "lblIDef", "lblIBatt"})
        label(fraDISPLAY, name, tw.rect(0, 0, 0, 0), QString())->setVisible(false);

    // Right-hand column: the replica of the device's display and the system calibration.
    fraQORDISPLAY = make<QFrame>(this, "fraQORDISPLAY", tw.rect(5520, 120, 3900, 1395));
    fraQORDISPLAY->setFrameShape(QFrame::Box);
    fraQORDISPLAY->setStyleSheet(QStringLiteral("QFrame#fraQORDISPLAY { background: #203020; }"
                                                "QLabel { color: #b0ffb0; }"));
    label(fraQORDISPLAY, "lblDisplayCaption", tw.rect(120, 60, 1200, 255),
          QStringLiteral("Display"));
    lblSignalDISP = label(fraQORDISPLAY, "lblSignalDISP", tw.rect(120, 330, 2700, 555),
                          QStringLiteral("-0.000000"));
    lblSignalDISP->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setPointSize(lblSignalDISP, 18, true);
    displayUnitLabel =
        label(fraQORDISPLAY, "lblJednotkaDISP", tw.rect(2940, 450, 840, 315), QString());
    setPointSize(displayUnitLabel, 10, true);
    lblSignalDIV = label(fraQORDISPLAY, "lblSignalDIV", tw.rect(120, 975, 1500, 315),
                         QStringLiteral("12345678"));
    lblSignalDIV->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label(fraQORDISPLAY, "lblDilky", tw.rect(1740, 975, 840, 315), QStringLiteral("Dílky"));
    label(fraQORDISPLAY, "lblBAT", tw.rect(2940, 975, 420, 315), QStringLiteral("div"));
    label(fraQORDISPLAY, "lblDiv", tw.rect(3360, 975, 420, 315), QStringLiteral("div"));
    m_systemPanel = new SystemCalibrationPanel(m_session, *m_serviceWiring, m_services.messages,
                                               m_services.clock, m_lang, this);
    m_systemPanel->setGeometry(tw.rect(5520, 1560, 3915, 4515));

    // Status overlay, laid out below the window until the first activation.
    fraSTATUS = make<QFrame>(this, "fraSTATUS", tw.rect(120, 7200, 5175, 5535));
    fraSTATUS->setFrameShape(QFrame::Panel);
    fraSTATUS->setFrameShadow(QFrame::Raised);
    fraSTATUS->setAutoFillBackground(true);
    lblStatus = label(fraSTATUS, "lblStatus", tw.rect(240, 2220, 4695, 735), QString());
    lblStatus->setAlignment(Qt::AlignCenter);
    lblStatus->setWordWrap(true);
    setPointSize(lblStatus, 12, true);

    // The wizard's buttons along the bottom.
    cmdBack = make<QPushButton>(this, "cmdBack", tw.rect(1590, 5760, 1095, 420));
    cmdNext = make<QPushButton>(this, "cmdNext", tw.rect(2685, 5760, 1095, 420));
    cmdCancel = make<QPushButton>(this, "cmdCancel", tw.rect(3900, 5760, 1095, 420));
    cmdBack->setText(QStringLiteral("Zpět"));
    cmdNext->setText(QStringLiteral("Další"));
    cmdCancel->setText(QStringLiteral("Zrušit"));
    // Enter presses the default button through the window's key handler.
    cmdNext->setDefault(true);
    buildHistoryControls();
}

} // namespace qm
