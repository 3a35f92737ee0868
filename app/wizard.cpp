// The wizard machine: pages, Back/Next/Cancel, the status overlay and the steps.
#include "app/mainwindow.h"
#include "app/portpage.h"

#include "calibration/curveevidence.h"
#include "calibration/curvepage.h"
#include "calibration/sensorpage.h"
#include "calibration/trendplot.h"
#include "core/messages.h"
#include "core/settings.h"
#include "service/systemcalibration.h"

#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include <array>

namespace qm {

void MainWindow::showStepPage(WizardStep step) {
    const WizardStepRow& row = wizardRow(step);
    const WizardPage page = row.page;
    m_portGroup->setVisible(page == WizardPage::Port);
    m_curvePage->setVisible(page == WizardPage::Curve);
    m_liveFrame->setVisible(page == WizardPage::Curve);
    if (m_evidence) {
        m_trendPlot->setVisible(page == WizardPage::Curve);
        m_evidence->setVisible(page == WizardPage::Curve);
    }
    m_statusFrame->setVisible(false);
    m_sensorPage->setVisible(page == WizardPage::Sensor);
    // The service column is in view only beside the wide curve page; elsewhere
    // it lies beyond the window's edge, where Tab must not reach it.
    const bool column = page == WizardPage::Curve && m_serviceLevel > 1;
    m_deviceDisplayFrame->setVisible(column);
    m_systemPanel->setVisible(column);
    m_backButton->setEnabled(row.backEnabled);
    m_nextButton->setEnabled(row.nextEnabled);
    m_cancelButton->setEnabled(row.cancelEnabled);
    m_shownStep = step;
    applyButtonCaptions();
}

QWidget* MainWindow::pageFocus() const {
    if (m_portGroup->isVisible()) return m_portList;
    if (m_sensorPage->isVisible()) return m_sensorPage->descriptionField();
    if (m_curvePage->isVisible()) return m_curvePage->pointList();
    return nullptr;
}

void MainWindow::focusPage() {
    if (QWidget* w = pageFocus()) w->setFocus(Qt::OtherFocusReason);
}

void MainWindow::applyButtonCaptions() {
    m_backButton->setText(caption(3));
    m_nextButton->setText(caption(4));
    m_cancelButton->setText(caption(wizardRow(m_shownStep).cancelCaption));
}

void MainWindow::showPortPage() {
    setFormSize(kFormWidth);
    showStepPage(WizardStep::Port);
    m_portList->setCurrentIndex(
        StoredPortIndex(m_services.settings, m_services.transports, kPortListSize));
}

bool MainWindow::performAction(const WizardMove& move) {
    m_wizardStep = move.during;
    bool done = false;
    switch (move.action) {
    case WizardAction::None:
        return false;
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
    if (done) m_wizardStep = move.after;
    return done;
}

void MainWindow::onNext() {
    runStep(wizardRow(m_wizardStep).next);
}

void MainWindow::onBack() {
    if (!m_stepRunning && !mayDiscardCurve()) return;
    runStep(wizardRow(m_wizardStep).back);
}

bool MainWindow::mayDiscardCurve() {
    if (m_wizardStep != WizardStep::Curve || !m_curvePage->isVisible()) return true;
    SensorRecord onPage = m_session.CurrentRecord;
    m_curve.CopyToRecord(onPage);
    // After a failed last write the record holds the points, the sensor does not.
    if (onPage == m_session.CurrentRecord && !m_unsavedCurve) return true;
    if (m_services.messages.confirm(m_lang.text(kTextDiscardPoints))) return true;
    focusPage(); // the work goes on where it stood, not on the button that asked
    return false;
}

void MainWindow::runStep(const WizardMove& move) {
    // A click that arrives while a step waits on the device must not start
    // another step on the same port.
    if (m_stepRunning || m_ended) return;
    m_stepRunning = true;
    showStatus(true);
    m_statusText->setText(m_lang.text(kTextPleaseWait));
    m_refusedField = nullptr;
    performAction(move);
    m_statusFrame->setVisible(false);
    m_stepRunning = false;
    // Wherever the click came from, Enter goes on from the page's own control.
    if (m_refusedField && m_refusedField->isVisible())
        m_refusedField->setFocus(Qt::OtherFocusReason);
    else
        focusPage();
    closeWhenIdle();
}

void MainWindow::closeWhenIdle() {
    if (!m_closeRequested || m_ended) return;
    // Queued, so that the handler that finished the work returns first.
    QTimer::singleShot(0, this, [this] {
        if (!busy()) endProgram();
    });
}

void MainWindow::onCancel() {
    if (!mayDiscardCurve()) return;
    m_link.close();
    endProgram();
}

// Enabling gives the buttons back the states they had when they were
// disabled, so that a step that fails leaves them as they were (Back stays
// off on the port page).
void MainWindow::disableNavigation() {
    const std::array<QPushButton*, 4> buttons{m_backButton, m_nextButton, m_cancelButton,
                                              m_searchButton};
    if (m_navigationLocks++ == 0)
        for (size_t i = 0; i < buttons.size(); ++i)
            m_navigationStates[i] = buttons[i]->isEnabled();
    for (QPushButton* b : buttons)
        b->setEnabled(false);
    m_systemPanel->setEnabled(false); // no second write while one runs
}

void MainWindow::enableNavigation() {
    const std::array<QPushButton*, 4> buttons{m_backButton, m_nextButton, m_cancelButton,
                                              m_searchButton};
    if (m_navigationLocks > 1) {
        --m_navigationLocks;
        return;
    }
    const bool restore = m_navigationLocks == 1;
    m_navigationLocks = 0;
    m_systemPanel->setEnabled(true);
    for (size_t i = 0; i < buttons.size(); ++i)
        buttons[i]->setEnabled(restore ? m_navigationStates[i] : true);
    closeWhenIdle();
}

void MainWindow::showStatus(bool visible) {
    if (visible) {
        // Over the whole width, however wide the page made the window; the
        // buttons below it stay in view.
        m_statusFrame->setGeometry(0, 0, width(), m_tw(kStatusHeight));
        const int margin = m_tw(240), height = m_tw(735);
        m_statusText->setGeometry(margin, (m_statusFrame->height() - height) / 2,
                                  m_statusFrame->width() - 2 * margin, height);
        m_statusFrame->raise();
    }
    m_statusFrame->setVisible(visible);
}

void MainWindow::endProgram() {
    if (m_ended) return;
    m_ended = true;
    m_timer.stop();
    close();
    emit programEnded();
}

} // namespace qm
