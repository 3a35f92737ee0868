// The work behind Next: connect and read, open the curve page, finish; and the
// port page's search button.
#include "app/frmQORCalibration.h"

#include "app/portpage.h"
#include "app/servicewiring.h"
#include "calibration/curvepage.h"
#include "calibration/sensorfields.h"
#include "calibration/sensorpage.h"
#include "calibration/updatecalibration.h"
#include "core/messages.h"
#include "core/numformat.h"
#include "core/settings.h"
#include "device/discovery.h"
#include "device/protocol.h"
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

void frmQORCalibration::cmdSCANQM07_Click() {
    DisableNavigation();
    const int p = FindDevice(m_layer);
    if (p < 1) {
        m_services.messages.exclamation(m_lang.text(51));
    } else {
        m_services.messages.information(m_lang.text(50) + u' ' + QString::number(p));
        cmbPort->setCurrentIndex(p - 1);
    }
    EnableNavigation();
}

bool frmQORCalibration::PerformStepWork(int step) {
    switch (step) {
    case 1:
        return connectAndRead();
    case 2:
        return openCurvePage();
    case 3:
        finish();
        return m_ended;
    default:
        return false;
    }
}

QString frmQORCalibration::unitText() const {
    return fraSNIMAC->txtJednotka()->text();
}

ReadContext frmQORCalibration::readContext() {
    return ReadContext{m_layer, m_lang, *this, &m_services.messages, m_services.clock.now().date()};
}

int frmQORCalibration::readAll() {
    ReadContext ctx = readContext();
    return ReadAll(ctx, m_session);
}

int frmQORCalibration::SaveSensor(bool onlyIfChanged, SaveReport* report) {
    uint8_t flags = kOwnFlags;
    if (fraCURVE->chk24bit()->isChecked()) flags |= kFlag24Bit;
    if (!fraSNIMAC->TXT2XXX(flags)) {
        m_services.messages.critical(m_lang.text(49));
        return kSaveConvertFailed;
    }
    ReadContext ctx = readContext();
    ctx.messages = nullptr; // the outcome is worded below, in the user's language
    SaveReport local;
    SaveReport& r = report ? *report : local;
    const int result = SaveSensorCore(ctx, m_session, onlyIfChanged, writeProgress(), nullptr, &r);
    if (!r.backupPath.isEmpty()) m_backups << r.backupPath;
    reportSave(result, r);
    return result;
}

bool frmQORCalibration::connectAndRead() {
    setFormSize(kFormWidth);
    ConnectOptions options;
    options.settings = &m_services.settings;
    options.stopLiveTimer = [this] { m_timer.stop(); };
    const ConnectResult connected = ConnectDevice(m_layer, cmbPort->currentIndex() + 1, options);
    if (m_ended) // Cancel was pressed while the step waited
        return false;
    switch (connected) {
    case ConnectResult::OpenFailed:
        m_services.messages.critical(OpenFailedText(
            m_lang, m_layer.lastError().code, m_services.transports.describe(m_layer.port())));
        return false;
    case ConnectResult::NoDevice:
        m_services.messages.critical(m_lang.text(53));
        return false;
    case ConnectResult::Ok:
        break;
    }
    if (readAll() <= -1 || m_ended) return false;
    if (!(m_session.CurrentRecord.Flags & kFlagOwn) &&
        !m_services.messages.confirm(m_lang.text(75)))
        return false;
    showPage(Page::Sensor, true, true, true);
    fraSNIMAC->lblRozsahPopis()->setText(UnitCaption(caption(66), unitText()));
    fraSNIMAC->lblRozsahNegPopis()->setText(UnitCaption(caption(69), unitText()));
    fraSNIMAC->txtRozsah()->setEnabled(true);
    fraSNIMAC->txtRozsahNeg()->setEnabled(true);
    m_wizardStep = 2;
    return true;
}

bool frmQORCalibration::openCurvePage() {
    if (fraSNIMAC->cmbGain()->currentIndex() != m_session.CurrentRecord.GainIndex &&
        !m_services.messages.confirm(m_lang.text(55)))
        return false;
    if (!fraSNIMAC->CheckSensorTexts()) return false;
    SaveSensor(true); // a failure has shown its message; the curve page opens all the same
    if (m_ended) return false;
    setFormSize(m_serviceLevel > 1 ? kFormWidthService : kFormWidth);
    showPage(Page::Curve, true, true, true);
    fraCURVE->setEthUnit(unitText());
    m_wizardStep = 3;
    m_timer.start();
    return true;
}

void frmQORCalibration::finish() {
    if (!fraSNIMAC->TXT2XXX(kOwnFlags)) return;
    showPage(Page::None, false, false, false, 68);
    SaveReport report;
    const int r = SaveSensor(false, &report);
    if (!report.backupError.isEmpty()) {
        // Nothing was written: the curve stays, and Next tries again.
        showPage(Page::Curve, true, true, true);
        m_timer.start();
        return;
    }
    ResetDevice(*m_serviceWiring, m_services.clock, m_lang);
    // Success only when the read-back holds what was written; the save has
    // already said so in plain words otherwise.
    if (r == kSaveWritten && report.readBack == ReadBack::Agrees) {
        QStringList lines{m_lang.text(56)};
        for (const QString& path : m_backups)
            lines << BackupSavedText(path);
        m_services.messages.information(lines.join(QLatin1Char('\n')));
    }
    EndProgram();
}

void frmQORCalibration::capture() {
    fraCURVE->Capture();
}

void frmQORCalibration::setFormatList(int digits) {
    fraSNIMAC->setFormatList(digits);
}

void frmQORCalibration::setConstantsText(const QString& n, const QString& k) {
    m_deviceConstants = {ValDot(n), ValDot(k)};
    fraQORSETUP->txtskN()->setText(n);
    fraQORSETUP->txtskK()->setText(k);
}

QString frmQORCalibration::constantNText() const {
    return fraQORSETUP->txtskN()->text();
}

QString frmQORCalibration::constantKText() const {
    return fraQORSETUP->txtskK()->text();
}

void frmQORCalibration::constantsRead() {
    fraQORSETUP->constantsRead();
}

void frmQORCalibration::updateCalibration() {
    UpdateCalibration(m_calib, *fraSNIMAC, *fraCURVE);
    lblJednotkaDISP->setText(m_session.CurrentRecord.Jednotka);
    const IntExtMark mark = IntExtFor(m_session.TagPresent);
    lblIIntExt->setText(mark.text);
    lblIIntExt->setStyleSheet(QStringLiteral("color: %1;").arg(mark.color.name()));
    lblIIntExt->setVisible(true);
}

} // namespace qm
