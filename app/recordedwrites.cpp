// The calibration history at the window: opened before a write (or the local
// file, when the technician agrees), a record for every block write, the
// certificate after a calibration, the operator fields and the sensor's last
// calibration; and another folder when the backup cannot be made.
#include "app/historyproblem.h"
#include "app/mainwindow.h"

#include "calibration/linearity.h"
#include "calibration/sensorpage.h"
#include "core/filechooser.h"
#include "core/hex.h"
#include "core/messages.h"
#include "core/settings.h"
#include "records/databaseurl.h"
#include "records/operatorfields.h"
#include "records/recordedwrite.h"
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
    if (m_history && m_history->isOpen()) return true;
    const QString local = LocalDatabaseUrl();
    m_history = std::make_unique<RecordStore>(); // a connection of its own
    m_historyStatus = OpenWriteHistory(
        *m_history, ConfiguredDatabaseUrl(m_services.settings),
        [this, &local](HistoryStep, const QString& url, const DatabaseStatus& failure) {
            m_historyStatus = failure;
            return m_services.messages.confirm(
                m_lang.text(kTextHistoryUnreachable).arg(url, historyProblem(url), local));
        });
    if (m_historyStatus.ok()) return true;
    // Declined: it has been said; the local file failing is said here.
    if (m_history->url() == local)
        m_services.messages.critical(
            m_lang.text(kTextLocalHistoryFailed).arg(local, historyProblem(local)));
    return false;
}

bool MainWindow::beginRecord(CalibrationRecord& rec, QString* why) {
    m_historyStatus =
        m_history ? BeginWriteRecord(*m_history, rec, {}) : DatabaseStatus{kDbNotOpen, {}};
    if (m_historyStatus.ok()) return true;
    const QString url = m_history ? m_history->url() : QString();
    const QString text = m_lang.text(kTextNotStarted).arg(url, historyProblem(url));
    if (why)
        *why = text;
    else
        m_services.messages.critical(text);
    return false;
}

LocalFallback MainWindow::askOutcomeToLocal() {
    return [this](HistoryStep, const QString& url, const DatabaseStatus& failure) {
        m_historyStatus = failure;
        return m_services.messages.confirm(
            m_lang.text(kTextOutcomeToLocal).arg(url, historyProblem(url), LocalDatabaseUrl()));
    };
}

bool MainWindow::recorded(const CalibrationRecord& rec, const DatabaseStatus& status) {
    m_historyStatus = status;
    if (status.ok()) {
        m_lastRecord = rec;
        return true;
    }
    m_lastRecord = {};
    const QString failedUrl = m_history ? m_history->url() : QString();
    m_services.messages.critical(
        m_lang.text(kTextNotRecorded).arg(failedUrl, historyProblem(failedUrl)));
    return false;
}

void MainWindow::dropRecord(const CalibrationRecord& rec) {
    if (m_history) m_history->discard(rec.id);
}

QString MainWindow::historyProblem(const QString& url) const {
    return HistoryProblemText(m_lang, url, m_historyStatus);
}

CalibrationRecord MainWindow::newRecord(RecordKind kind) const {
    CalibrationRecord rec =
        NewRecord(kind, LoadOperatorFields(m_services.settings), m_services.clock.now());
    rec.device = m_deviceIdent;
    return rec;
}

CurveFacts MainWindow::curveFacts() const {
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

void MainWindow::recordBlockWrite(CalibrationRecord& rec, const SaveReport& report,
                                  const CurveFacts& facts) {
    if (!m_history) return void(recorded(rec, {kDbNotOpen, {}}));
    recorded(rec, RecordBlockWrite(*m_history, rec, report, facts, askOutcomeToLocal()));
}

void MainWindow::recordRestore(CalibrationRecord& rec, const QByteArray& backup,
                               const QString& backupPath, const RestoreResult& back) {
    SaveReport r;
    r.group = rec.block / 32;
    r.backupPath = backupPath; // what was put back; the broken block before it is not known
    r.imageAfter = backup.left(kBlockBytes);
    r.writeResult = back.writeResult;
    r.bytesSent = back.bytesSent;
    r.firstDifference = back.firstDifference;
    if (back.writeResult == 0)
        r.readBack = !back.readBack             ? ReadBack::Missing
                     : back.firstDifference > 0 ? ReadBack::Differs
                                                : ReadBack::Agrees;
    recordBlockWrite(rec, r, {});
}

void MainWindow::recordConstantsWrite(CalibrationRecord& rec, const QByteArray& written,
                                      int firstDifference) {
    FillConstantsOutcome(rec, written, rec.backupPath, firstDifference);
    if (!m_history) return void(recorded(rec, {kDbNotOpen, {}}));
    recorded(rec, FinishWriteRecord(*m_history, rec, askOutcomeToLocal()));
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
            text =
                m_lang.text(kTextLastCalibration)
                    .arg(last.timeUtc.toLocalTime().date().toString(m_lang.text(kTextDateFormat)),
                         last.certificateNo);
        else if (st.code == kDbNotFound)
            text = m_lang.text(kTextNeverCalibrated);
    }
    lastCalibrationLabel->setText(text);
}

} // namespace qm
