#include "app/servicewiring.h"

#include "core/hex.h"
#include "device/protocol.h"
#include "sensor/constantsbackup.h"

#include <QLabel>

namespace qm {

void MainWindow::ServiceWiring::showStatus(const std::optional<QString>& text) {
    m_w.showStatus(true);
    if (text) m_w.m_statusText->setText(*text);
}

bool MainWindow::ServiceWiring::writeConstants(double N, double k) {
    DeviceConnection& link = m_w.m_link;
    // Both are written even when the first fails; the read-back shows what holds.
    const int n = link.eeWriteSingle(kDeviceAddress, kAddrZeroCount, N, kEETimeoutMs);
    const int m = link.eeWriteSingle(kDeviceAddress, kAddrMultiplier, k, kEETimeoutMs);
    const QByteArray written =
        SingleBytes(static_cast<float>(N)) + SingleBytes(static_cast<float>(k));
    m_w.recordConstantsWrite(m_constantsRecord, written, ConstantsDifference(link, written));
    return n == 1 && m == 1;
}

QString MainWindow::ServiceWiring::backUpConstants(QString& error) {
    // The history first: nothing is written without knowing where its record goes.
    if (!m_w.ensureHistory()) {
        error = m_w.historyProblem(m_w.m_history ? m_w.m_history->url() : QString());
        return {};
    }
    const BackupResult r = BackUpConstants(m_w.m_link, m_w.m_backupFolder);
    error = r.error;
    if (!r.ok) return {};
    m_constantsRecord = m_w.newRecord(RecordKind::Constants);
    m_constantsRecord.block = -1;
    m_constantsRecord.backupPath = r.path;
    m_constantsRecord.imageBefore = r.bytes;
    if (!m_w.beginRecord(m_constantsRecord, &error)) return {};
    return r.path;
}

void MainWindow::ServiceWiring::sendReset() {
    m_w.m_link.write(kRequestReset);
}

} // namespace qm
