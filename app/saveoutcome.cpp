// What the window says after a write of the sensor's memory, and the way back
// after a write that stopped midway.
#include "app/mainwindow.h"
#include "app/savereport.h"

#include "core/messages.h"
#include "records/writeoutcome.h"
#include "sensor/backup.h"
#include "sensor/restoreblock.h"

#include <QFile>
#include <QLabel>

namespace qm {

WriteProgress MainWindow::writeProgress() {
    return [this, last = -1](int p, int n) mutable {
        const int percent = n > 0 ? p * 100 / n : 0;
        if (percent == last) return;
        last = percent;
        QString text = m_lang.text(kTextStoring) + QStringLiteral(" %1 %").arg(percent);
        if (m_closeRequested) text += u'\n' + m_lang.text(kTextClosesAfterWrite);
        m_statusText->setText(text);
    };
}

void MainWindow::reportSave(const SaveReport& r) {
    if (!r.backupError.isEmpty()) return; // asked about when it happened (retryBackup)
    if (r.result == kSaveWriteFailed) {
        offerRestore(r);
        return;
    }
    const QString problem = SaveProblemText(m_lang, r);
    if (!problem.isEmpty()) m_services.messages.critical(problem);
}

void MainWindow::offerRestore(const SaveReport& r) {
    const QString text =
        WriteStoppedText(m_lang, r) + QStringLiteral("\n\n") + m_lang.text(kTextOfferRestore);
    MessageSink& messages = m_services.messages;
    if (messages.show({text, MsgIcon::Critical, MsgYes | MsgNo, MsgYes}) != MsgYes) return;

    QFile f(r.backupPath);
    const QByteArray backup = f.open(QIODevice::ReadOnly) ? f.read(kBlockBytes + 1) : QByteArray();
    const int block = BlockFromBackupName(r.backupPath);
    CalibrationRecord rec = newRecord(RecordKind::Restore);
    if (block >= 0) {
        rec.block = block;
        FillPointsFromImage(rec, backup.left(kBlockBytes), block / 32);
        if (!beginRecord(rec)) return;
    }
    disableNavigation();
    showStatus(true);
    const RestoreResult back = block < 0
                                   ? RestoreResult{kRestoreNotABlock}
                                   : RestoreBlock(m_link, block / 32, backup, writeProgress());
    showStatus(false);
    enableNavigation();
    if (block >= 0) recordRestore(rec, backup, r.backupPath, back);
    if (back.ok()) {
        messages.information(m_lang.text(kTextRestored));
        return;
    }
    const QString reason =
        back.writeResult != 0 ? withCode(m_lang.text(kTextWriteFailed), back.writeResult)
        : !back.readBack      ? m_lang.text(kTextReadBackMissing)
                              : m_lang.text(kTextReadBackDiffers).arg(back.firstDifference);
    messages.critical(m_lang.text(kTextRestoreFailed).arg(reason, r.backupPath));
}

} // namespace qm
