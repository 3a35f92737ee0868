// The work behind Next: connect and read, open the curve page, finish; and the
// port page's search button.
#include "app/frmQORCalibration.h"

#include "core/messages.h"
#include "core/settings.h"
#include "device/discovery.h"
#include "device/protocol.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace qm {

void frmQORCalibration::cmdSCANQM07_Click() {
    DisableNavigation();
    const int p = FindDevice(m_layer, m_services.clock);
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
    case 1: return connectAndRead();
    case 2: return openCurvePage();
    case 3: finish(); return true;
    default: return false;
    }
}

QString frmQORCalibration::unitText() const {
    const auto* unit = findChild<QLineEdit*>(QStringLiteral("txtJednotka"));
    return unit ? unit->text().trimmed() : m_session.CurrentRecord.Jednotka.trimmed();
}

bool frmQORCalibration::connectAndRead() {
    setFormSize(kFormWidth);
    ConnectOptions options;
    options.settings = &m_services.settings;
    options.stopLiveTimer = [this] { m_timer.stop(); };
    const ConnectResult connected =
        ConnectDevice(m_layer, m_services.clock, cmbPort->currentIndex() + 1, options);
    if (m_ended) // Cancel was pressed while the step waited
        return false;
    switch (connected) {
    case ConnectResult::OpenFailed:
        m_services.messages.critical(m_lang.text(54));
        return false;
    case ConnectResult::NoDevice:
        m_services.messages.critical(m_lang.text(53));
        return false;
    case ConnectResult::Ok:
        break;
    }
    ReadContext ctx{m_layer, m_services.clock, m_layer.CurrentPort, m_lang, *this,
                    &m_services.messages, m_services.clock.now().date()};
    if (ReadAll(ctx, m_session) <= -1 || m_ended)
        return false;
    if (!(m_session.CurrentRecord.Flags & kFlagOwn) &&
        !m_services.messages.confirm(m_lang.text(75)))
        return false;
    showPage(Page::Sensor, true, true, true);
    const QString unit = QStringLiteral(" [") + unitText() + u']';
    if (auto* l = findChild<QLabel*>(QStringLiteral("lblRozsahPopis")))
        l->setText(caption(66) + unit);
    if (auto* l = findChild<QLabel*>(QStringLiteral("lblRozsahNegPopis")))
        l->setText(caption(69) + unit);
    for (const char* name : {"txtRozsah", "txtRozsahNeg"})
        if (auto* w = findChild<QWidget*>(QLatin1String(name)))
            w->setEnabled(true);
    m_wizardStep = 2;
    return true;
}

bool frmQORCalibration::openCurvePage() {
    setFormSize(m_serviceLevel > 1 ? kFormWidthService : kFormWidth);
    showPage(Page::Curve, true, true, true);
    if (auto* l = findChild<QLabel*>(QStringLiteral("lblCEth")))
        l->setText(QStringLiteral("Etalon [") + unitText() + u']');
    m_wizardStep = 3;
    m_timer.start();
    return true;
}

void frmQORCalibration::finish() {
    showPage(Page::None, false, false, false, 68);
    m_timer.stop();
    ResetDevice(m_layer, m_services.clock, m_layer.CurrentPort);
    EndProgram();
}

void frmQORCalibration::capture() {}

} // namespace qm
