#include "app/portpage.h"

#include "app/mainwindow.h"
#include "core/langtable.h"
#include "device/portaccess.h"
#include "device/portlist.h"
#include "device/transport.h"

#include <QComboBox>

namespace qm {

void FillPortList(QComboBox& list, const TransportFactory& transports, int count) {
    const QList<SerialDevice> present = ListSerialDevices();
    for (int p = 1; p <= count; ++p) {
        const QString path = transports.describe(p);
        const QString name = QStringLiteral("COM%1").arg(p);
        list.addItem(path.isEmpty()
                         ? name
                         : name + QStringLiteral("   (") + DeviceSummary(path, present) + u')',
                     p);
    }
}

int StoredPortIndex(const SettingsStore& settings, const TransportFactory& transports, int count) {
    return PortIndexForSetting(StoredPortSetting(
        settings, [&](int p) { return transports.describe(p); }, count));
}

QString OpenFailedText(const LangTable& lang, int serialError, const QString& path) {
    const DeviceFileFacts facts = InspectDeviceFile(path);
    if (ClassifyOpenFailure(serialError, facts) != OpenFailure::NoPermission)
        return lang.text(kTextPortCannotOpen);
    return lang.text(kTextPortCannotOpen) + QStringLiteral("\n\n") +
           PermissionMessage(lang.text(kTextNoPermission), lang.text(kTextNoPermissionNoGroup),
                             facts, CurrentUserName());
}

} // namespace qm
