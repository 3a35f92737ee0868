// The controls of the main window and where they stand, in twips.
#include "app/mainwindow.h"
#include "calibration/curvepage.h"
#include "calibration/referencedialog.h"
#include "calibration/sensorpage.h"
#include "calibration/verificationpage.h"
#include "service/systemcalibration.h"

#include "calibration/verification.h"
#include "core/numformat.h"
#include "core/settings.h"
#include "records/operatorfields.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

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
    m_portGroup = make<QGroupBox>(this, "fraCOMM", tw.rect(120, 240, 4875, 5355));
    QLabel* portCaption =
        label(m_portGroup, "lblPortPopis", tw.rect(240, 480, 4395, 1455),
              QStringLiteral("Vyberte sériový port, kde je připojeno zařízení Tarvo "
                             "R-40 a stiskněte tlačítko /Další/"));
    portCaption->setWordWrap(true);
    portCaption->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_portList = make<QComboBox>(m_portGroup, "cmbPort", tw.rect(240, 2160, 4395, 375));
    m_searchButton = make<QPushButton>(m_portGroup, "cmdSCANQM07", tw.rect(240, 2760, 1575, 420));
    m_searchButton->setText(QStringLiteral("Vyhledat"));

    // Sensor page, laid out beyond the right edge until the first activation.
    m_sensorPage = new SensorPage(m_calib, this);
    m_sensorPage->setGeometry(tw.rect(9840, 240, 4875, 5355));

    // Curve page and its live signal panel.
    const auto liveSignal = [this] {
        const LiveReading& live = m_session->live();
        return live.valid ? std::optional<double>(live.signal) : std::nullopt;
    };
    m_curvePage = new CurvePage(m_calib, *m_referenceDialog, liveSignal, this);
    m_curvePage->setGeometry(tw.rect(300, 1680, 4515, 3840));
    const auto captureWindow = [this] { return m_session->captureWindow(); };
    m_curvePage->setCaptureWindow(captureWindow);
    // In the curve page's place once the curve is written.
    m_verificationPage =
        new VerificationPage(m_calib, *m_referenceDialog, liveSignal, captureWindow, this);
    m_verificationPage->setGeometry(tw.rect(300, 1680, 4515, 3840));
    m_verificationPage->setVisible(false);
    connect(m_verificationPage, &VerificationPage::pointTaken, this,
            [this](double reference, double signal, double indicated, double sdMean) {
                m_session->addVerificationPoint(reference, {signal, indicated, sdMean});
                showVerificationPoints();
            });
    connect(m_curvePage, &CurvePage::curveChanged, this, &MainWindow::showCurveEvidence);
    m_liveFrame = make<QFrame>(this, "fraDISPLAY", tw.rect(600, 360, 4020, 1230));
    m_liveFrame->setFrameShape(QFrame::Panel);
    m_liveFrame->setFrameShadow(QFrame::Sunken);
    m_liveFrame->setAutoFillBackground(true);
    m_liveFrame->setStyleSheet(QStringLiteral("QFrame#fraDISPLAY { background: black; }"
                                              "QLabel { color: #00ff00; }"));
    m_liveValue =
        label(m_liveFrame, "lblSignal", tw.rect(60, 240, 2940, 735), QStringLiteral("-----"));
    m_liveValue->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    {
        QFont f(QStringLiteral("Courier New"));
        f.setStyleHint(QFont::Monospace);
        f.setPointSize(24);
        f.setBold(true);
        m_liveValue->setFont(f);
    }
    setPointSize(
        label(m_liveFrame, "lblIUnit", tw.rect(3120, 600, 840, 315), QStringLiteral("mV/V")), 10,
        true);
    m_curveRangeMark =
        label(m_liveFrame, "lblIIntExt", tw.rect(3120, 240, 840, 315), QStringLiteral("INT"));
    setPointSize(m_curveRangeMark, 10, true);
    m_curveRangeMark->setVisible(false);
    // The panel's limit and battery lamps; nothing lights them.
    for (const char* name : {"lblILimLO", "lblILimHI", "lblIDef", "lblIBatt"})
        label(m_liveFrame, name, tw.rect(0, 0, 0, 0), QString())->setVisible(false);

    // Right-hand column: the replica of the device's display and the system calibration.
    m_deviceDisplayFrame = make<QFrame>(this, "fraQORDISPLAY", tw.rect(5520, 120, 3900, 1395));
    m_deviceDisplayFrame->setFrameShape(QFrame::Box);
    m_deviceDisplayFrame->setStyleSheet(
        QStringLiteral("QFrame#fraQORDISPLAY { background: #203020; }"
                       "QLabel { color: #b0ffb0; }"));
    label(m_deviceDisplayFrame, "lblDisplayCaption", tw.rect(120, 60, 1200, 255),
          QStringLiteral("Display"));
    m_deviceDisplayValue = label(m_deviceDisplayFrame, "lblSignalDISP",
                                 tw.rect(120, 330, 2700, 555), QStringLiteral("-0.000000"));
    m_deviceDisplayValue->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setPointSize(m_deviceDisplayValue, 18, true);
    m_deviceDisplayUnit =
        label(m_deviceDisplayFrame, "lblJednotkaDISP", tw.rect(2940, 450, 840, 315), QString());
    setPointSize(m_deviceDisplayUnit, 10, true);
    m_deviceDisplayDivision = label(m_deviceDisplayFrame, "lblSignalDIV",
                                    tw.rect(120, 975, 1500, 315), QStringLiteral("12345678"));
    m_deviceDisplayDivision->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label(m_deviceDisplayFrame, "lblDilky", tw.rect(1740, 975, 840, 315), QStringLiteral("Dílky"));
    label(m_deviceDisplayFrame, "lblBAT", tw.rect(2940, 975, 420, 315), QStringLiteral("div"));
    label(m_deviceDisplayFrame, "lblDiv", tw.rect(3360, 975, 420, 315), QStringLiteral("div"));
    m_systemPanel =
        new SystemCalibrationPanel(m_session->sensor(), static_cast<ServiceActions&>(*this),
                                   m_services.messages, m_lang, this);
    m_systemPanel->setGeometry(tw.rect(5520, 1560, 3915, 4515));

    // Status overlay, laid out below the window until the first activation.
    m_statusFrame = make<QFrame>(this, "fraSTATUS", tw.rect(120, 7200, 5175, kStatusHeight));
    m_statusFrame->setFrameShape(QFrame::Panel);
    m_statusFrame->setFrameShadow(QFrame::Raised);
    m_statusFrame->setAutoFillBackground(true);
    m_statusText = label(m_statusFrame, "lblStatus", tw.rect(240, 2220, 4695, 735), QString());
    m_statusText->setAlignment(Qt::AlignCenter);
    m_statusText->setWordWrap(true);
    setPointSize(m_statusText, 12, true);

    // The wizard's buttons along the bottom.
    m_backButton = make<QPushButton>(this, "cmdBack", tw.rect(1590, 5760, 1095, 420));
    m_nextButton = make<QPushButton>(this, "cmdNext", tw.rect(2685, 5760, 1095, 420));
    m_cancelButton = make<QPushButton>(this, "cmdCancel", tw.rect(3900, 5760, 1095, 420));
    m_backButton->setText(QStringLiteral("Zpět"));
    m_nextButton->setText(QStringLiteral("Další"));
    m_cancelButton->setText(QStringLiteral("Zrušit"));
    // Enter presses the default button through the window's key handler.
    m_nextButton->setDefault(true);
    buildHistoryControls();
}

void MainWindow::buildHistoryControls() {
    // On the sensor page below its fields; made last, so the Tab order of
    // the fields before them stays as it was.
    auto* grid = new QGridLayout;
    m_operatorLabel = new QLabel(m_sensorPage);
    m_operatorField = new QLineEdit(m_sensorPage);
    m_referenceLabel = new QLabel(m_sensorPage);
    m_referenceField = new QLineEdit(m_sensorPage);
    m_referenceULabel = new QLabel(m_sensorPage);
    m_referenceUField = new QLineEdit(m_sensorPage);
    m_lastCalibrationLabel = new QLabel(m_sensorPage);
    m_operatorField->setObjectName(QStringLiteral("txtOperator"));
    m_referenceField->setObjectName(QStringLiteral("txtReferenceStandard"));
    m_referenceUField->setObjectName(QStringLiteral("txtReferenceUncertainty"));
    m_lastCalibrationLabel->setObjectName(QStringLiteral("lblLastCalibration"));
    m_lastCalibrationLabel->setWordWrap(true);
    grid->addWidget(m_operatorLabel, 0, 0);
    grid->addWidget(m_operatorField, 0, 1);
    grid->addWidget(m_referenceLabel, 1, 0);
    grid->addWidget(m_referenceField, 1, 1);
    grid->addWidget(m_referenceULabel, 2, 0);
    grid->addWidget(m_referenceUField, 2, 1);
    grid->addWidget(m_lastCalibrationLabel, 3, 0, 1, 2);
    if (auto* page = qobject_cast<QVBoxLayout*>(m_sensorPage->layout()))
        page->insertLayout(2, grid); // below the fields, above the stretch
    const OperatorFields fields = LoadOperatorFields(m_services.settings);
    m_operatorField->setText(fields.operatorName);
    m_referenceField->setText(fields.referenceStandard);
    const auto save = [this] {
        SaveOperatorFields(m_services.settings,
                           {m_operatorField->text(), m_referenceField->text()});
    };
    connect(m_operatorField, &QLineEdit::textChanged, this, save);
    connect(m_referenceField, &QLineEdit::textChanged, this, save);
    // The standard's relative expanded uncertainty, typed once beside its name.
    const double u = ReferenceUncertaintySetting(m_services.settings);
    if (u > 0) m_referenceUField->setText(QString::number(u));
    connect(m_referenceUField, &QLineEdit::textChanged, this, [this](const QString& text) {
        const std::optional<double> typed = ReadTypedNumber(text.trimmed());
        const bool usable = text.trimmed().isEmpty() || (typed && *typed >= 0 && *typed < 100);
        // What cannot be an uncertainty is not kept; the field says so by its colour.
        m_referenceUField->setStyleSheet(usable ? QString() : QStringLiteral("color: red;"));
        if (usable)
            m_services.settings.setValue(QStringLiteral("Verification"),
                                         QStringLiteral("ReferenceUncertainty"),
                                         typed ? QString::number(*typed) : QString());
    });
}

} // namespace qm
