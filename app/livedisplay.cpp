// The live signal display: every tick reads the answer to the previous tick's
// measurement request and sends the next one.
#include "app/mainwindow.h"

#include "core/numformat.h"
#include "device/livepoll.h"

#include <QLabel>

namespace qm {

void MainWindow::onLiveTick() {
    // A closed port (the line went dead) shows the same as a missing reply.
    const LiveTick tick = PollLive(m_link);
    const std::optional<Measurement>& m = tick.reading;
    m_liveValid = m.has_value();
    if (m) {
        m_liveDiv = m->div;
        m_liveSignal = m->signal;
        m_liveDisplay = m->display;
        m_liveValue->setText(FormatRight(m_liveSignal, QStringLiteral("###0.0000")));
        m_deviceDisplayDivision->setText(FormatRight(m_liveDiv, QStringLiteral("#######0")));
        m_deviceDisplayValue->setText(FormatMask(m_liveDisplay, m_session.CurrentRecord.Format));
    } else {
        // Missing or garbled: no label goes on showing a value the device no longer sends.
        for (QLabel* l : {m_liveValue, m_deviceDisplayDivision, m_deviceDisplayValue})
            l->setText(QStringLiteral("-----"));
    }
    showLiveEvidence(m);
}

} // namespace qm
