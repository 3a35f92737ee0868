// The wizard machine: pages, Back/Next/Cancel, the status overlay and the steps.
#include "app/mainwindow.h"
#include "app/portpage.h"

#include "calibration/curveevidence.h"
#include "calibration/curvepage.h"
#include "calibration/sensorpage.h"
#include "calibration/trendplot.h"
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

void MainWindow::showPage(WizardPage page, bool back, bool next, bool cancel, int cancelCaption) {
    m_portGroup->setVisible(page == WizardPage::Port);
    m_curvePage->setVisible(page == WizardPage::Curve);
    m_liveFrame->setVisible(page == WizardPage::Curve);
    if (m_evidence) {
        m_trendPlot->setVisible(page == WizardPage::Curve);
        m_evidence->setVisible(page == WizardPage::Curve);
    }
    m_statusFrame->setVisible(false);
    m_sensorPage->setVisible(page == WizardPage::Sensor);
    m_backButton->setEnabled(back);
    m_nextButton->setEnabled(next);
    m_cancelButton->setEnabled(cancel);
    m_cancelCaption = cancelCaption;
    applyButtonCaptions();
}

void MainWindow::applyButtonCaptions() {
    m_backButton->setText(caption(3));
    m_nextButton->setText(caption(4));
    m_cancelButton->setText(caption(m_cancelCaption));
}

void MainWindow::showStepPage(WizardStep step) {
    const WizardStepRow& row = wizardRow(step);
    showPage(row.page, row.backEnabled, true, true);
}

void MainWindow::showPortPage() {
    setFormSize(kFormWidth);
    showStepPage(WizardStep::Port);
    m_portList->setCurrentIndex(
        StoredPortIndex(m_services.settings, m_services.transports, kPortListSize));
}

bool MainWindow::performAction(WizardAction action) {
    m_wizardStep = stepOfAction(action);
    bool done = false;
    switch (action) {
    case WizardAction::ShowPortPage:
        showPortPage();
        done = true;
        break;
    case WizardAction::ConnectAndRead:
        done = connectAndRead();
        break;
    case WizardAction::OpenCurvePage:
        done = openCurvePage();
        break;
    case WizardAction::Finish:
        finish();
        done = m_ended;
        break;
    }
    if (done) m_wizardStep = stepAfterAction(action);
    return done;
}

void MainWindow::onNext() {
    runStep(wizardRow(m_wizardStep).onNext);
}

void MainWindow::onBack() {
    if (!m_stepRunning && !mayDiscardCurve()) return;
    runStep(wizardRow(m_wizardStep).onBack);
}

bool MainWindow::mayDiscardCurve() {
    if (m_wizardStep != WizardStep::Curve || !m_curvePage->isVisible()) return true;
    SensorRecord onPage = m_session.CurrentRecord;
    m_curve.CopyToRecord(onPage);
    if (onPage == m_session.CurrentRecord) return true;
    return m_services.messages.confirm(m_lang.text(kTextDiscardPoints));
}

void MainWindow::runStep(WizardAction action) {
    // A click that arrives while a step waits on the device must not start
    // another step on the same port.
    if (m_stepRunning || m_ended) return;
    m_stepRunning = true;
    showStatus(true);
    m_statusText->setText(m_lang.text(29));
    performAction(action);
    m_statusFrame->setVisible(false);
    m_stepRunning = false;
    closeWhenIdle();
}

void MainWindow::closeWhenIdle() {
    if (!m_closeRequested || m_ended) return;
    // Queued, so that the handler that finished the work returns first.
    QTimer::singleShot(0, this, [this] {
        if (!busy()) EndProgram();
    });
}

void MainWindow::onCancel() {
    if (!mayDiscardCurve()) return;
    m_link.close();
    EndProgram();
}

// Enabling gives the buttons back the states they had when they were
// disabled, so that a step that fails leaves them as they were (Back stays
// off on the port page).
void MainWindow::DisableNavigation() {
    const std::array<QPushButton*, 4> buttons{m_backButton, m_nextButton, m_cancelButton,
                                              m_searchButton};
    if (m_navigationLocks++ == 0)
        for (size_t i = 0; i < buttons.size(); ++i)
            m_navigationStates[i] = buttons[i]->isEnabled();
    for (QPushButton* b : buttons)
        b->setEnabled(false);
}

void MainWindow::EnableNavigation() {
    const std::array<QPushButton*, 4> buttons{m_backButton, m_nextButton, m_cancelButton,
                                              m_searchButton};
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

void MainWindow::showStatus(bool visible) {
    m_statusFrame->setVisible(visible);
    if (visible) m_statusFrame->raise();
}

void MainWindow::EndProgram() {
    if (m_ended) return;
    m_ended = true;
    m_timer.stop();
    close();
    emit programEnded();
}

} // namespace qm
