// The wizard at the window: pages, Back/Next/Cancel and the status overlay;
// each step forwarded to the session and what it reports put into words.
#include "app/certificateoffer.h"
#include "app/historyproblem.h"
#include "app/mainwindow.h"
#include "app/portpage.h"
#include "app/readreport.h"
#include "app/savereport.h"

#include "calibration/curveevidence.h"
#include "calibration/curvepage.h"
#include "calibration/recordfrompage.h"
#include "calibration/referencedialog.h"
#include "calibration/sensorfields.h"
#include "calibration/sensorpage.h"
#include "calibration/trendplot.h"
#include "calibration/updatecalibration.h"
#include "calibration/verificationpage.h"
#include "core/blanks.h"
#include "core/messages.h"
#include "core/numformat.h"
#include "device/protocol.h"
#include "records/databaseurl.h"
#include "service/systemcalibration.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

namespace qm {

void MainWindow::showStepPage(WizardStep step) {
    const WizardStepRow& row = wizardRow(step);
    const WizardPage page = row.page;
    m_portGroup->setVisible(page == WizardPage::Port);
    const bool live = page == WizardPage::Curve || page == WizardPage::Verify;
    m_curvePage->setVisible(page == WizardPage::Curve);
    m_verificationPage->setVisible(page == WizardPage::Verify);
    m_liveFrame->setVisible(live);
    if (m_evidence) {
        m_trendPlot->setVisible(live);
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
    if (m_verificationPage->isVisible()) return m_verificationPage->table();
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

bool MainWindow::performAction(const WizardMove& move) {
    m_session->setStep(move.during);
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
        done = finish();
        break;
    case WizardAction::ReturnToCurve:
        done = returnToCurve();
        break;
    case WizardAction::EndProgram:
        endVerification();
        done = m_ended;
        break;
    }
    if (done) m_session->setStep(move.after);
    return done;
}

void MainWindow::onNext() {
    runStep(wizardRow(m_session->step()).next);
}

void MainWindow::onBack() {
    // Back from the verification page keeps what it took: it is recorded.
    const bool verifying = m_session->step() == WizardStep::Verify;
    if (!m_stepRunning && !verifying && !mayDiscardCurve()) return;
    runStep(wizardRow(m_session->step()).back);
}

void MainWindow::onCancel() {
    if (!mayDiscardCurve()) return;
    m_session->link().close();
    endProgram();
}

bool MainWindow::mayDiscardCurve() {
    const bool verifying = m_session->step() == WizardStep::Verify;
    if (verifying ? m_session->verificationPoints().empty()
                  : m_session->step() != WizardStep::Curve || !m_curvePage->isVisible() ||
                        !m_session->curveUnsaved())
        return true;
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
    // After a write that the close waited for, the technician still learns
    // what was stored.
    QTimer::singleShot(0, this, [this] {
        if (busy()) return;
        if (m_session->step() == WizardStep::Verify)
            endVerification();
        else
            endProgram();
    });
}

void MainWindow::endProgram() {
    if (m_ended) return;
    // Left without finishing it: the written curve is recorded as not verified.
    if (m_session->verificationOpen()) {
        m_session->dropVerificationPoints();
        m_session->recordVerification();
    }
    m_ended = true;
    m_session->stopLive();
    close();
    emit programEnded();
}

// Unlocking gives the buttons back the states they had when they were
// locked, so that a step that fails leaves them as they were (Back stays off
// on the port page).
void MainWindow::setNavigationLocked(bool locked) {
    const std::array<QPushButton*, 4> buttons{m_backButton, m_nextButton, m_cancelButton,
                                              m_searchButton};
    for (size_t i = 0; i < buttons.size(); ++i) {
        if (locked) m_navigationStates[i] = buttons[i]->isEnabled();
        buttons[i]->setEnabled(!locked && m_navigationStates[i]);
    }
    m_systemPanel->setEnabled(!locked); // no second write while one runs
    if (!locked) closeWhenIdle();
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

void MainWindow::onSessionStatus(SessionStatus status, int percent) {
    switch (status) {
    case SessionStatus::Hidden:
        showStatus(false);
        return;
    case SessionStatus::PleaseWait:
        m_statusText->setText(m_lang.text(kTextPleaseWait));
        break;
    case SessionStatus::Storing: {
        QString text = m_lang.text(kTextStoring) + QStringLiteral(" %1 %").arg(percent);
        if (m_closeRequested) text += u'\n' + m_lang.text(kTextClosesAfterWrite);
        m_statusText->setText(text);
        break;
    }
    }
    showStatus(true);
}

void MainWindow::onSensorStage(SensorStage stage) {
    const int overlay = ReadStageOverlay(stage);
    if (overlay == 1) showStatus(true);
    const QString text = ReadStageText(m_lang, stage);
    if (!text.isEmpty()) m_statusText->setText(text);
    const SensorSession& sensor = m_session->sensor();
    switch (stage) {
    case SensorStage::DigitsRead:
        m_sensorPage->setFormatList(sensor.DisplayDigits);
        break;
    case SensorStage::DeviceRead:
        m_systemPanel->constantNField()->setText(FormatGeneral(sensor.N));
        m_systemPanel->constantKField()->setText(
            FormatMask(sensor.k, QStringLiteral("0.000000 E-0")));
        break;
    case SensorStage::Done:
        updateCalibration();
        break;
    default:
        break;
    }
    if (overlay == 0) showStatus(false);
    if (stage == SensorStage::SensorRead) m_systemPanel->constantsRead();
}

void MainWindow::updateCalibration() {
    showRecordOnPages(m_calib, *m_sensorPage, *m_curvePage);
    m_deviceDisplayUnit->setText(m_session->sensor().CurrentRecord.Unit);
    const IntExtMark mark = IntExtFor(m_session->sensor().TagPresent);
    m_curveRangeMark->setText(mark.text);
    m_curveRangeMark->setStyleSheet(QStringLiteral("color: %1;").arg(mark.color.name()));
    m_curveRangeMark->setVisible(true);
}

QString MainWindow::unitText() const {
    return m_sensorPage->unitField()->text();
}

void MainWindow::searchForDevice() {
    const int p = m_session->findDevice();
    if (p < 1) {
        m_services.messages.exclamation(m_lang.text(kTextNoDeviceAnywhere));
    } else {
        m_services.messages.information(m_lang.text(kTextFoundOnPort) + u' ' + QString::number(p));
        m_portList->setCurrentIndex(p - 1);
    }
}

void MainWindow::showPortPage() {
    setFormSize(kFormWidth);
    showStepPage(WizardStep::Port);
    m_portList->setCurrentIndex(
        StoredPortIndex(m_services.settings, m_services.transports, kPortListSize));
}

bool MainWindow::connectAndRead() {
    setFormSize(kFormWidth);
    const ConnectOutcome out = m_session->connectAndRead(m_portList->currentIndex() + 1);
    if (m_ended) // Cancel was pressed while the step waited
        return false;
    switch (out.connect) {
    case ConnectResult::OpenFailed:
        m_services.messages.critical(OpenFailedText(
            m_lang, out.openError, m_services.transports.describe(m_session->link().port())));
        return false;
    case ConnectResult::NoDevice:
        m_services.messages.critical(m_lang.text(kTextNoDeviceOnPort));
        return false;
    case ConnectResult::Ok:
        break;
    }
    if (out.readResult <= -1 || m_ended) return false;
    if (!(m_session->sensor().CurrentRecord.Flags & kFlagOwn) &&
        !m_services.messages.confirm(m_lang.text(kTextForeignConfiguration)))
        return false;
    showStepPage(WizardStep::Sensor);
    showHistoryFields();
    m_sensorPage->rangeLabel()->setText(UnitCaption(caption(66), unitText()));
    m_sensorPage->negativeRangeLabel()->setText(UnitCaption(caption(69), unitText()));
    m_sensorPage->rangeField()->setEnabled(true);
    m_sensorPage->negativeRangeField()->setEnabled(true);
    return true;
}

bool MainWindow::storePages(uint8_t flags) {
    const PageRecord result = m_session->storeRecord(m_sensorPage->values(), flags);
    for (const QString& message : pageFaultMessages(result.fault, m_session->curve(), m_lang))
        m_services.messages.critical(message);
    return result.fault == PageFault::None;
}

bool MainWindow::historyReady() {
    switch (m_session->ensureHistory()) {
    case HistoryReady::Open:
        return true;
    case HistoryReady::Declined: // said when it was asked
        return false;
    case HistoryReady::LocalFailed:
        m_services.messages.critical(
            m_lang.text(kTextLocalHistoryFailed).arg(LocalDatabaseUrl(), historyProblem()));
        return false;
    }
    return false;
}

bool MainWindow::storePagesForSave() {
    uint8_t flags = kOwnFlags;
    if (m_curvePage->bit24Box()->isChecked()) flags |= kFlag24Bit;
    if (storePages(flags)) return true;
    m_services.messages.critical(m_lang.text(kTextCannotStore));
    return false;
}

void MainWindow::reportSave(const SaveOutcome& out) {
    const SaveReport& r = out.report;
    if (!out.started)
        m_services.messages.critical(
            m_lang.text(kTextNotStarted).arg(m_session->historyUrl(), historyProblem()));
    else if (!r.backupError.isEmpty())
        return; // asked about when it happened (retryBackup)
    else if (r.result == kSaveWriteFailed)
        offerRestore(r);
    else if (const QString problem = SaveProblemText(m_lang, r); !problem.isEmpty())
        m_services.messages.critical(problem);
}

void MainWindow::offerRestore(const SaveReport& r) {
    const QString text =
        WriteStoppedText(m_lang, r) + QStringLiteral("\n\n") + m_lang.text(kTextOfferRestore);
    MessageSink& messages = m_services.messages;
    if (messages.show({text, MsgIcon::Critical, MsgYes | MsgNo, MsgYes}) != MsgYes) return;
    const RestoreOutcome back = m_session->restoreBackup(r.backupPath);
    if (!back.started) {
        messages.critical(
            m_lang.text(kTextNotStarted).arg(m_session->historyUrl(), historyProblem()));
        return;
    }
    const RestoreResult& b = back.result;
    if (b.ok()) {
        messages.information(m_lang.text(kTextRestored));
        return;
    }
    const QString reason = b.writeResult != 0
                               ? withCode(m_lang.text(kTextWriteFailed), b.writeResult)
                           : !b.readBack ? m_lang.text(kTextReadBackMissing)
                                         : m_lang.text(kTextReadBackDiffers).arg(b.firstDifference);
    messages.critical(m_lang.text(kTextRestoreFailed).arg(reason, r.backupPath));
}

bool MainWindow::openCurvePage() {
    const SensorSession& sensor = m_session->sensor();
    if (m_sensorPage->gainList()->currentIndex() != sensor.CurrentRecord.GainIndex &&
        !m_services.messages.confirm(m_lang.text(kTextFullScaleChanged)))
        return false;
    if (!m_sensorPage->CheckSensorTexts()) {
        m_refusedField = m_sensorPage->faultField();
        return false;
    }
    if (!historyReady()) return false;
    // A failure is said; the curve page opens all the same.
    if (storePagesForSave()) reportSave(m_session->save(true));
    if (m_ended) return false;
    const int left = m_serviceLevel > 1 ? kFormWidthService : kFormWidth;
    const int plots = setCurvePageSize(left) - m_tw(120);
    createEvidence();
    m_trendPlot->setGeometry(m_tw(left), m_tw(120), plots, m_tw(1440));
    m_evidence->setGeometry(m_tw(left), m_tw(1680), plots, m_tw(4500));
    showStepPage(WizardStep::Curve);
    m_curvePage->setEthUnit(unitText());
    m_referenceDialog->lblSigEth(1)->setText(m_curvePage->referenceCaption()->text());
    const SensorRecord& rec = sensor.CurrentRecord;
    m_trendPlot->setStateWords(m_lang.text(kTextSettling), m_lang.text(kTextStable),
                               m_lang.text(kTextNoLiveReading));
    m_trendPlot->setDisplayFormat(rec.Format, rec.Unit);
    m_evidence->setTexts(m_lang, unitText());
    showCurveEvidence();
    m_session->openCurve();
    m_trendPlot->setSpanSeconds(m_session->stability().settings().trendMs / 1000);
    return true;
}

bool MainWindow::finish() {
    if (!storePages(kOwnFlags) || !historyReady()) return false;
    showStepPage(WizardStep::Finishing);
    if (!storePagesForSave()) {
        showStepPage(WizardStep::Curve);
        return false;
    }
    SaveOutcome saved;
    const FinishResult r = m_session->finish(&saved);
    reportSave(saved);
    if (r != FinishResult::Done) {
        // Nothing is lost: the points stay, Next tries again and Cancel asks
        // before it lets them go.
        showStepPage(WizardStep::Curve);
        return false;
    }
    m_session->openVerification();
    showStepPage(WizardStep::Verify);
    // Across the window below the live display and the trend: the table's
    // five columns need the room the curve's plots had.
    m_verificationPage->setGeometry(m_curvePage->x(), m_curvePage->y(),
                                    width() - m_curvePage->x() - m_tw(120), m_curvePage->height());
    m_verificationPage->setTexts(unitText());
    showVerificationPoints();
    return true;
}

bool MainWindow::returnToCurve() {
    m_session->backToCurve();
    showStepPage(WizardStep::Curve);
    showCurveEvidence();
    return true;
}

void MainWindow::endVerification() {
    m_session->recordVerification();
    QStringList lines{m_lang.text(kTextStored)};
    for (const QString& path : m_session->backups())
        lines << m_lang.text(kTextBackupSaved).arg(path);
    const CalibrationRecord& last = m_session->lastRecord();
    if (last.id > 0) lines << m_lang.text(kTextRecorded).arg(last.id).arg(last.certificateNo);
    const CalibrationRecord& check = m_session->lastVerification();
    // A certificate only for points captured on this visit.
    if (last.id > 0 && last.kind == RecordKind::Calibration)
        OfferCertificate(m_services.messages, m_services.files, m_lang, last,
                         check.id > 0 ? &check : nullptr, lines.join(QLatin1Char('\n')));
    else
        m_services.messages.information(lines.join(QLatin1Char('\n')));
    endProgram();
}

void MainWindow::showVerificationPoints() {
    m_verificationPage->showPoints(m_session->verificationPoints(),
                                   m_session->verificationSummary(),
                                   m_session->verificationInputs());
}

void MainWindow::showHistoryFields() {
    m_operatorLabel->setText(m_lang.text(kTextOperator));
    m_referenceLabel->setText(m_lang.text(kTextReferenceStandard));
    m_referenceULabel->setText(m_lang.text(kTextReferenceUncertainty));
    const QString serial = m_session->sensor().CurrentRecord.SerialNo.trimmed();
    CalibrationRecord last;
    QString text;
    if (!serial.isEmpty()) {
        const DatabaseStatus st = m_session->latestCalibration(serial, last);
        if (st.ok())
            text =
                m_lang.text(kTextLastCalibration)
                    .arg(last.timeUtc.toLocalTime().date().toString(m_lang.text(kTextDateFormat)),
                         last.certificateNo);
        else if (st.code == kDbNotFound)
            text = m_lang.text(kTextNeverCalibrated);
    }
    m_lastCalibrationLabel->setText(text);
}

void MainWindow::createEvidence() {
    if (m_evidence) return;
    // Placed beside the page when it opens: the trend by the live display,
    // the plots and the linearity column by the list.
    m_trendPlot = new TrendPlot(this);
    m_evidence = new CurveEvidence(this);
    m_trendPlot->show();
    m_evidence->show();
}

void MainWindow::showCurveEvidence() {
    if (m_evidence)
        m_evidence->showCurve(m_session->curve(), m_session->sensor().CurrentRecord.Format);
}

void MainWindow::showLive() {
    const LiveReading& live = m_session->live();
    if (live.valid) {
        m_liveValue->setText(FormatRight(live.signal, QStringLiteral("###0.0000")));
        m_deviceDisplayDivision->setText(FormatRight(live.div, QStringLiteral("#######0")));
        m_deviceDisplayValue->setText(
            FormatMask(live.display, m_session->sensor().CurrentRecord.Format));
    } else {
        // Missing or garbled: no label goes on showing a value the device no longer sends.
        for (QLabel* l : {m_liveValue, m_deviceDisplayDivision, m_deviceDisplayValue})
            l->setText(QStringLiteral("-----"));
    }
    const SensorRecord& rec = m_session->sensor().CurrentRecord;
    m_verificationPage->showReading(live.valid ? FormatMask(live.display, rec.Format).trimmed() +
                                                     u' ' + TrimBlanks(rec.Unit)
                                               : QStringLiteral("-----"));
    if (!m_evidence) return;
    const StabilityDetector& stability = m_session->stability();
    m_trendPlot->showTrend(stability.trend(), stability.window(), stability.state());
    m_evidence->setLiveSignal(live.valid ? std::optional<double>(live.signal) : std::nullopt);
    if (m_autoCapturing || m_stepRunning || !m_curvePage->isVisible() ||
        !m_session->autoCaptureDue())
        return;
    m_autoCapturing = true;
    m_curvePage->capture();
    m_autoCapturing = false;
}

} // namespace qm
