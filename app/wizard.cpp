// The wizard machine: pages, Back/Next/Cancel, the status overlay and the steps.
#include "app/frmQORCalibration.h"
#include "app/portpage.h"

#include "calibration/curvepage.h"
#include "calibration/sensorpage.h"
#include "core/messages.h"
#include "core/settings.h"

#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <array>

namespace qm {

void frmQORCalibration::showPage(Page page, bool back, bool next, bool cancel, int cancelCaption) {
    fraCOMM->setVisible(page == Page::Port);
    fraCURVE->setVisible(page == Page::Curve);
    fraDISPLAY->setVisible(page == Page::Curve);
    fraSTATUS->setVisible(false);
    fraSNIMAC->setVisible(page == Page::Sensor);
    cmdBack->setEnabled(back);
    cmdNext->setEnabled(next);
    cmdCancel->setEnabled(cancel);
    m_cancelCaption = cancelCaption;
    applyButtonCaptions();
}

void frmQORCalibration::applyButtonCaptions() {
    cmdBack->setText(caption(3));
    cmdNext->setText(caption(4));
    cmdCancel->setText(caption(m_cancelCaption));
}

void frmQORCalibration::ShowStep() {
    switch (m_wizardStep) {
    case 0:
        setFormSize(kFormWidth);
        showPage(Page::Port, false, true, true);
        cmbPort->setCurrentIndex(
            StoredPortIndex(m_services.settings, m_services.transports, kPortListSize));
        m_wizardStep = 1;
        break;
    case 1:
    case 2:
    case 3:
        PerformStepWork(m_wizardStep);
        break;
    default:
        break;
    }
}

void frmQORCalibration::cmdNext_Click() {
    runStep(0);
}

void frmQORCalibration::cmdBack_Click() {
    if (!m_stepRunning && !mayDiscardCurve()) return;
    runStep(2);
}

bool frmQORCalibration::mayDiscardCurve() {
    if (m_wizardStep != 3 || !fraCURVE->isVisible()) return true;
    SensorRecord onPage = m_session.CurrentRecord;
    m_curve.CopyToRecord(onPage);
    if (onPage == m_session.CurrentRecord) return true;
    return m_services.messages.confirm(m_lang.text(kTextDiscardPoints));
}

void frmQORCalibration::runStep(int stepsBack) {
    // A click that arrives while a step waits on the device must not start
    // another step on the same port.
    if (m_stepRunning || m_ended) return;
    m_stepRunning = true;
    showStatus(true);
    lblStatus->setText(m_lang.text(29));
    m_wizardStep = std::max(0, m_wizardStep - stepsBack);
    ShowStep();
    fraSTATUS->setVisible(false);
    m_stepRunning = false;
    closeWhenIdle();
}

void frmQORCalibration::closeWhenIdle() {
    if (!m_closeRequested || m_ended) return;
    // Queued, so that the handler that finished the work returns first.
    QTimer::singleShot(0, this, [this] {
        if (!busy()) EndProgram();
    });
}

void frmQORCalibration::cmdCancel_Click() {
    if (!mayDiscardCurve()) return;
    m_layer.close();
    EndProgram();
}

// Enabling gives the buttons back the states they had when they were
// disabled, so that a step that fails leaves them as they were (Back stays
// off on the port page).
void frmQORCalibration::DisableNavigation() {
    const std::array<QPushButton*, 4> buttons{cmdBack, cmdNext, cmdCancel, cmdSCANQM07};
    if (m_navigationLocks++ == 0)
        for (size_t i = 0; i < buttons.size(); ++i)
            m_navigationStates[i] = buttons[i]->isEnabled();
    for (QPushButton* b : buttons)
        b->setEnabled(false);
}

void frmQORCalibration::EnableNavigation() {
    const std::array<QPushButton*, 4> buttons{cmdBack, cmdNext, cmdCancel, cmdSCANQM07};
    if (m_navigationLocks > 1) {
        --m_navigationLocks;
        return;
    }
    const bool restore = m_navigationLocks == 1;
    m_navigationLocks = 0;
    for (size_t i = 0; i < buttons.size(); ++i)
        buttons[i]->setEnabled(restore ? m_navigationStates[i] : true);
    closeWhenIdle();
}

void frmQORCalibration::showStatus(bool visible) {
    fraSTATUS->setVisible(visible);
    if (visible) fraSTATUS->raise();
}

void frmQORCalibration::setStatusText(const QString& text) {
    lblStatus->setText(text);
}

void frmQORCalibration::lockButtons(bool locked) {
    if (locked)
        DisableNavigation();
    else
        EnableNavigation();
}

void frmQORCalibration::stopLiveTimer() {
    m_timer.stop();
}

void frmQORCalibration::EndProgram() {
    if (m_ended) return;
    m_ended = true;
    m_timer.stop();
    close();
    emit programEnded();
}

} // namespace qm
