// The live signal display: every tick reads the answer to the previous tick's
// measurement request and sends the next one.
#include "app/frmQORCalibration.h"

#include "core/numformat.h"
#include "device/protocol.h"

#include <QLabel>

namespace qm {

void frmQORCalibration::tmrCasovac_Timer() {
    const int port = m_layer.CurrentPort;
    if (!m_layer.PortIsOpen(port)) return;
    QString reply;
    m_layer.ReadPort(port, reply, 256);
    if (const std::optional<Measurement> m = ParseMeasurement(reply)) {
        m_liveDiv = m->div;
        m_liveSignal = m->signal;
        m_liveDisplay = m->display;
        lblSignal->setText(FormatRight(m_liveSignal, QStringLiteral("###0.0000")));
        lblSignalDIV->setText(FormatRight(m_liveDiv, QStringLiteral("#######0")));
        lblSignalDISP->setText(FormatMask(m_liveDisplay, m_session.CurrentRecord.Format));
    } else {
        lblSignal->setText(QStringLiteral("-----"));
    }
    m_layer.WritePort(port, kRequestMeasure);
}

} // namespace qm
