// The calibration history at the window: opened before a write (or the local
// file, when the technician agrees), a record for every block write, the
// certificate after a calibration, the operator fields and the sensor's last
// calibration; and another folder when the backup cannot be made.
#include "app/mainwindow.h"

#include "calibration/linearity.h"
#include "calibration/sensorpage.h"
#include "core/filechooser.h"
#include "core/hex.h"
#include "core/messages.h"
#include "core/settings.h"
#include "records/databaseurl.h"
#include "records/operatorfields.h"
#include "records/recordstore.h"
#include "records/writeoutcome.h"
#include "report/certificate.h"
#include "sensor/restoreblock.h"

#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace qm {

void MainWindow::buildHistoryControls() {
    // On the sensor page below its fields; made last, so the Tab order of
    // the fields before them stays as it was.
    auto* grid = new QGridLayout;
    operatorLabel = new QLabel(m_sensorPage);
    operatorField = new QLineEdit(m_sensorPage);
    referenceLabel = new QLabel(m_sensorPage);
    referenceField = new QLineEdit(m_sensorPage);
    lastCalibrationLabel = new QLabel(m_sensorPage);
    operatorField->setObjectName(QStringLiteral("txtOperator"));
    referenceField->setObjectName(QStringLiteral("txtReferenceStandard"));
    lastCalibrationLabel->setObjectName(QStringLiteral("lblLastCalibration"));
    lastCalibrationLabel->setWordWrap(true);
    grid->addWidget(operatorLabel, 0, 0);
    grid->addWidget(operatorField, 0, 1);
    grid->addWidget(referenceLabel, 1, 0);
    grid->addWidget(referenceField, 1, 1);
    grid->addWidget(lastCalibrationLabel, 2, 0, 1, 2);
    if (auto* page = qobject_cast<QVBoxLayout*>(m_sensorPage->layout()))
        page->insertLayout(2, grid); // below the fields, above the stretch
    const OperatorFields fields = LoadOperatorFields(m_services.settings);
    operatorField->setText(fields.operatorName);
    referenceField->setText(fields.referenceStandard);
    const auto save = [this] {
        SaveOperatorFields(m_services.settings, {operatorField->text(), referenceField->text()});
    };
    connect(operatorField, &QLineEdit::textChanged, this, save);
    connect(referenceField, &QLineEdit::textChanged, this, save);
}

bool MainWindow::openHistoryQuietly() {
    if (m_history && m_history->isOpen()) return true;
    m_history = std::make_unique<RecordStore>();
    m_historyStatus = m_history->open(ConfiguredDatabaseUrl(m_services.settings));
    return m_historyStatus.ok();
}

bool MainWindow::ensureHistory() {
    if (openHistoryQuietly()) return true;
    const QString configured =
        m_history->url().isEmpty() ? ConfiguredDatabaseUrl(m_services.settings) : m_history->url();
    const QString local = LocalDatabaseUrl();
    if (configured == local ||
        !m_services.messages.confirm(
            m_lang.text(kTextHistoryUnreachable).arg(configured, m_historyStatus.text, local))) {
        if (configured == local)
            m_services.messages.critical(
                m_lang.text(kTextLocalHistoryFailed).arg(local, m_historyStatus.text));
        return false;
    }
    m_history = std::make_unique<RecordStore>(); // a connection of its own
    m_historyStatus = m_history->open(local);
    if (m_historyStatus.ok()) return true;
    m_services.messages.critical(
        m_lang.text(kTextLocalHistoryFailed).arg(local, m_historyStatus.text));
    return false;
}

bool MainWindow::addRecord(CalibrationRecord& rec) {
    m_lastRecord = {};
    const DatabaseStatus st = m_history ? m_history->add(rec) : DatabaseStatus{kDbNotOpen, {}};
    if (st.ok()) {
        m_lastRecord = rec;
        return true;
    }
    m_services.messages.critical(
        m_lang.text(kTextNotRecorded)
            .arg(m_history ? m_history->url() : QString(), withCode(st.text, st.code)));
    return false;
}

MainWindow::CurveFacts MainWindow::curveFacts() const {
    CurveFacts facts;
    for (int i = 1; i <= m_curve.pointCount(); ++i)
        if (const double spread = m_curve.pointAt(i).spread; spread >= 0)
            facts.spreads.push_back(spread);
        else
            facts.spreads.push_back(std::nullopt);
    if (const auto lin = AnalyseLinearity(CurvePoints(m_curve)))
        facts.nonLinearity = lin->nonLinearityPct;
    return facts;
}

void MainWindow::recordBlockWrite(RecordKind kind, const SaveReport& report,
                                  const CurveFacts& facts) {
    CalibrationRecord rec =
        NewRecord(kind, LoadOperatorFields(m_services.settings), m_services.clock.now());
    rec.device = m_deviceIdent;
    FillStoredPoints(rec, m_session.CurrentRecord);
    FillWriteOutcome(rec, report);
    if (kind == RecordKind::Calibration) {
        // The stored points are the curve's rows in order.
        for (size_t i = 0; i < rec.points.size() && i < facts.spreads.size(); ++i)
            rec.points[i].spread = facts.spreads[i];
        rec.nonLinearity = facts.nonLinearity;
    }
    addRecord(rec);
}

void MainWindow::recordRestore(int group, const QByteArray& backup, const QString& backupPath,
                               const RestoreResult& back) {
    SaveReport r;
    r.block = group;
    r.backupPath = backupPath; // what was put back; the broken block before it is not known
    r.imageAfter = backup.left(kBlockBytes);
    r.writeResult = back.writeResult;
    r.bytesSent = back.bytesSent;
    r.firstDifference = back.firstDifference;
    if (back.writeResult == 0)
        r.readBack = !back.readBack             ? ReadBack::Missing
                     : back.firstDifference > 0 ? ReadBack::Differs
                                                : ReadBack::Agrees;
    CalibrationRecord rec = NewRecord(RecordKind::Restore, LoadOperatorFields(m_services.settings),
                                      m_services.clock.now());
    rec.device = m_deviceIdent;
    FillPointsFromImage(rec, r.imageAfter, group);
    FillWriteOutcome(rec, r);
    addRecord(rec);
}

void MainWindow::recordConstantsWrite(const QByteArray& written, const QString& backupPath,
                                      int firstDifference) {
    CalibrationRecord rec = NewRecord(
        RecordKind::Constants, LoadOperatorFields(m_services.settings), m_services.clock.now());
    rec.device = m_deviceIdent;
    FillConstantsOutcome(rec, written, backupPath, firstDifference);
    addRecord(rec);
}

bool MainWindow::retryBackup(const QString& error) {
    FileChooser* const files = m_services.files;
    const QString text = m_lang.text(kTextNoBackup).arg(error) + QStringLiteral("\n\n") +
                         m_lang.text(kTextChooseBackupFolder);
    const MsgButton b = m_services.messages.show(
        {text, MsgIcon::Critical, (files ? MsgYes : 0) | MsgRetry | MsgCancel, MsgCancel});
    if (b == MsgRetry) return true;
    if (b != MsgYes || !files) return false;
    const QString start = m_backupFolder.isEmpty() ? QDir::homePath() : m_backupFolder;
    const QString folder = files->chooseFolder(m_lang.text(kTextBackupFolderTitle), start);
    if (folder.isEmpty()) return false;
    m_backupFolder = folder; // for the rest of this run
    return true;
}

QString MainWindow::recordedText() const {
    return m_lang.text(kTextRecorded).arg(m_lastRecord.id).arg(m_lastRecord.certificateNo);
}

void MainWindow::offerCertificate(const QString& text) {
    FileChooser* const files = m_services.files;
    MessageSink& messages = m_services.messages;
    if (!files) {
        messages.information(text);
        return;
    }
    const QString question = text + QStringLiteral("\n\n") + m_lang.text(kTextOfferCertificate);
    if (messages.show({question, MsgIcon::Information, MsgYes | MsgNo, MsgYes}) != MsgYes) return;
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString path = files->chooseSaveFile(
        m_lang.text(kTextCertificateTitle),
        QDir(folder).filePath(m_lastRecord.certificateNo + QStringLiteral(".pdf")),
        QStringLiteral("PDF (*.pdf)"));
    if (path.isEmpty()) return;
    QString error;
    if (WriteCertificate(m_lastRecord,
                         CertificateTextsFrom([this](int n) { return m_lang.text(n); }), path,
                         &error))
        messages.information(m_lang.text(kTextCertificateSaved).arg(path));
    else
        messages.critical(m_lang.text(kTextCertificateNotSaved).arg(error));
}

void MainWindow::showHistoryFields() {
    operatorLabel->setText(m_lang.text(kTextOperator));
    referenceLabel->setText(m_lang.text(kTextReferenceStandard));
    const QString serial = m_session.CurrentRecord.SerialNo.trimmed();
    CalibrationRecord last;
    QString text;
    if (!serial.isEmpty() && openHistoryQuietly()) {
        const DatabaseStatus st = m_history->latest(serial, last);
        if (st.ok())
            text = m_lang.text(kTextLastCalibration)
                       .arg(QLocale::system().toString(last.timeUtc.toLocalTime().date(),
                                                       QLocale::ShortFormat),
                            last.certificateNo);
        else if (st.code == kDbNotFound)
            text = m_lang.text(kTextNeverCalibrated);
    }
    lastCalibrationLabel->setText(text);
}

} // namespace qm
