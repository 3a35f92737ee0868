// The work behind Next: connect and read, open the curve page, finish; and the
// port page's search button.
#include "app/mainwindow.h"

#include "app/portpage.h"
#include "app/readreport.h"
#include "app/savereport.h"
#include "app/servicewiring.h"
#include "calibration/curveevidence.h"
#include "calibration/curvepage.h"
#include "calibration/referencedialog.h"
#include "calibration/sensorfields.h"
#include "calibration/sensorpage.h"
#include "calibration/trendplot.h"
#include "calibration/updatecalibration.h"
#include "core/messages.h"
#include "core/numformat.h"
#include "core/settings.h"
#include "device/discovery.h"
#include "device/protocol.h"
#include "records/writeoutcome.h"
#include "sensor/writer.h"
#include "service/devicereset.h"
#include "service/systemcalibration.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace qm {

void MainWindow::searchForDevice() {
    disableNavigation();
    const int p = FindDevice(m_link);
    if (p < 1) {
        m_services.messages.exclamation(m_lang.text(kTextNoDeviceAnywhere));
    } else {
        m_services.messages.information(m_lang.text(kTextFoundOnPort) + u' ' + QString::number(p));
        m_portList->setCurrentIndex(p - 1);
    }
    enableNavigation();
}

QString MainWindow::unitText() const {
    return m_sensorPage->unitField()->text();
}

ReadContext MainWindow::readContext() {
    return ReadContext{m_link,
                       m_services.clock.now().date(),
                       [this](SensorStage stage) { onSensorStage(stage); },
                       {}};
}

int MainWindow::readAll() {
    disableNavigation();
    m_timer.stop();
    ReadContext ctx = readContext();
    ctx.onBadImage = [this](int group) {
        return BadImageAnswer(m_services.messages.show(BadImageQuestion(m_lang, group)));
    };
    SensorReadReport report;
    const int r = ReadAll(ctx, m_session, &report);
    m_deviceIdent = report.ident;
    const QString failure = ReadFailureText(m_lang, r, m_link.port(), report.gap);
    if (!failure.isEmpty()) m_services.messages.critical(failure);
    enableNavigation();
    return r;
}

int MainWindow::saveSensor(bool onlyIfChanged, SaveReport* report) {
    uint8_t flags = kOwnFlags;
    if (m_curvePage->bit24Box()->isChecked()) flags |= kFlag24Bit;
    if (!m_sensorPage->storeInRecord(flags)) {
        m_services.messages.critical(m_lang.text(kTextCannotStore));
        return kSaveConvertFailed;
    }
    m_timer.stop();
    SaveReport r;
    // A calibration only when points were captured for it.
    const bool calibration = !onlyIfChanged && m_pointCaptured;
    CalibrationRecord rec =
        newRecord(calibration ? RecordKind::Calibration : RecordKind::BlockWrite);
    rec.block = BlockNumber(m_session.TagPresent == 1 ? kGroupTag : kGroupDevice, 0);
    FillStoredPoints(rec, m_session.CurrentRecord);
    if (!beginRecord(rec)) {
        // Nothing was written, and it has been said, as after a backup that failed.
        r.backupError = m_historyStatus.text;
        if (report) *report = r;
        return kSaveWriteFailed;
    }
    disableNavigation();
    // No questions during the read-back: the outcome is worded below. The
    // pages keep what the technician made until the block is confirmed: a
    // read-back that differs must not replace the points with what it found.
    ReadContext ctx = readContext();
    ctx.onStage = [this](SensorStage stage) {
        if (stage != SensorStage::Done) onSensorStage(stage);
    };
    const CurveFacts facts = curveFacts();
    do {
        r = SaveSensorCore(ctx, m_session, {onlyIfChanged, m_backupFolder, writeProgress()});
    } while (!r.backupError.isEmpty() && retryBackup(r.backupError));
    if (r.readBack == ReadBack::Agrees) onSensorStage(SensorStage::Done);
    enableNavigation();
    if (report) *report = r;
    if (!r.backupPath.isEmpty()) m_backups << r.backupPath;
    // Bytes went out (the write may have stopped midway): its outcome is recorded.
    if (r.backupError.isEmpty() && (r.writeResult != 0 || r.readBack != ReadBack::NotWritten))
        recordBlockWrite(rec, r, facts);
    else
        dropRecord(rec);
    reportSave(r);
    return r.result;
}

bool MainWindow::connectAndRead() {
    setFormSize(kFormWidth);
    ConnectOptions options;
    options.settings = &m_services.settings;
    options.stopLiveTimer = [this] { m_timer.stop(); };
    const ConnectResult connected = ConnectDevice(m_link, m_portList->currentIndex() + 1, options);
    if (m_ended) // Cancel was pressed while the step waited
        return false;
    switch (connected) {
    case ConnectResult::OpenFailed:
        m_services.messages.critical(OpenFailedText(m_lang, m_link.lastError().code,
                                                    m_services.transports.describe(m_link.port())));
        return false;
    case ConnectResult::NoDevice:
        m_services.messages.critical(m_lang.text(kTextNoDeviceOnPort));
        return false;
    case ConnectResult::Ok:
        break;
    }
    if (readAll() <= -1 || m_ended) return false;
    m_unsavedCurve = false; // the pages show what the sensor holds
    if (!(m_session.CurrentRecord.Flags & kFlagOwn) &&
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

bool MainWindow::openCurvePage() {
    if (m_sensorPage->gainList()->currentIndex() != m_session.CurrentRecord.GainIndex &&
        !m_services.messages.confirm(m_lang.text(kTextFullScaleChanged)))
        return false;
    if (!m_sensorPage->CheckSensorTexts()) {
        m_refusedField = m_sensorPage->faultField();
        return false;
    }
    if (!ensureHistory()) return false;
    saveSensor(true); // a failure has shown its message; the curve page opens all the same
    if (m_ended) return false;
    const int left = m_serviceLevel > 1 ? kFormWidthService : kFormWidth;
    const int plots = setCurvePageSize(left) - m_tw(120);
    createEvidence();
    m_trendPlot->setGeometry(m_tw(left), m_tw(120), plots, m_tw(1440));
    m_evidence->setGeometry(m_tw(left), m_tw(1680), plots, m_tw(4500));
    m_pointCaptured = false;
    showStepPage(WizardStep::Curve);
    m_curvePage->setEthUnit(unitText());
    m_referenceDialog->lblSigEth(1)->setText(m_curvePage->referenceCaption()->text());
    const SensorRecord& rec = m_session.CurrentRecord;
    m_trendPlot->setStateWords(m_lang.text(kTextSettling), m_lang.text(kTextStable),
                               m_lang.text(kTextNoLiveReading));
    m_trendPlot->setDisplayFormat(rec.Format, rec.Unit);
    m_evidence->setTexts(m_lang, unitText());
    showCurveEvidence();
    loadEvidenceSettings();
    m_stability.clear();
    m_timer.start();
    return true;
}

void MainWindow::finish() {
    if (!m_sensorPage->storeInRecord(kOwnFlags) || !ensureHistory()) return;
    showStepPage(WizardStep::Finishing);
    SaveReport report;
    const int r = saveSensor(false, &report);
    if (r != kSaveWritten || report.readBack != ReadBack::Agrees) {
        // Nothing is lost: the save has said what went wrong, the points stay,
        // Next tries again and Cancel asks before it lets them go.
        m_unsavedCurve = true;
        showStepPage(WizardStep::Curve);
        m_timer.start();
        return;
    }
    ResetDevice(*m_serviceWiring, m_services.clock, m_lang);
    QStringList lines{m_lang.text(kTextStored)};
    for (const QString& path : m_backups)
        lines << m_lang.text(kTextBackupSaved).arg(path);
    if (m_lastRecord.id > 0) lines << recordedText();
    // A certificate only for points captured on this visit.
    if (m_lastRecord.id > 0 && m_lastRecord.kind == RecordKind::Calibration)
        offerCertificate(lines.join(QLatin1Char('\n')));
    else
        m_services.messages.information(lines.join(QLatin1Char('\n')));
    endProgram();
}

void MainWindow::showCurveEvidence() {
    if (m_evidence) m_evidence->showCurve(m_curve, m_session.CurrentRecord.Format);
}

void MainWindow::capture() {
    m_curvePage->capture();
}

void MainWindow::onSensorStage(SensorStage stage) {
    const int overlay = ReadStageOverlay(stage);
    if (overlay == 1) showStatus(true);
    const QString text = ReadStageText(m_lang, stage);
    if (!text.isEmpty()) m_statusText->setText(text);
    switch (stage) {
    case SensorStage::DigitsRead:
        m_sensorPage->setFormatList(m_session.DisplayDigits);
        break;
    case SensorStage::DeviceRead: {
        const QString n = FormatGeneral(m_session.N);
        const QString k = FormatMask(m_session.k, QStringLiteral("0.000000 E-0"));
        m_systemPanel->constantNField()->setText(n);
        m_systemPanel->constantKField()->setText(k);
        break;
    }
    case SensorStage::ReadingSensor:
        m_timer.stop();
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
    m_deviceDisplayUnit->setText(m_session.CurrentRecord.Unit);
    const IntExtMark mark = IntExtFor(m_session.TagPresent);
    m_curveRangeMark->setText(mark.text);
    m_curveRangeMark->setStyleSheet(QStringLiteral("color: %1;").arg(mark.color.name()));
    m_curveRangeMark->setVisible(true);
}

} // namespace qm
