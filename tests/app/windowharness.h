#pragma once
// A main window on the virtual clock with scripted messages, in-memory
// settings and the in-process simulated device.
#include "app/frmQORCalibration.h"
#include "core/clock.h"
#include "core/settings.h"
#include "device/transport.h"
#include "support/scriptedmessages.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <memory>

namespace qm {

class NoPorts final : public TransportFactory {
public:
    std::unique_ptr<ByteTransport> make(int) override { return nullptr; }
    QString describe(int port) const override { return QStringLiteral("/dev/sim%1").arg(port); }
};

struct WindowHarness {
    VirtualClock clock;
    ScriptedMessages messages;
    MemorySettingsStore settings;
    NoPorts ports;
    QTemporaryDir dir;
    std::unique_ptr<frmQORCalibration> window;

    QString langPath() const { return dir.filePath(QStringLiteral("qm07r.lang")); }

    void writeLanguage(const QByteArray& bytes) {
        QFile f(langPath());
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            qFatal("cannot write the language file");
        f.write(bytes);
    }
    // The Czech file that the build ships.
    void useShippedLanguage() {
        QFile src(QStringLiteral(QM_SHIPPED_LANG));
        if (!src.open(QIODevice::ReadOnly))
            qFatal("no shipped language file");
        writeLanguage(src.readAll());
    }

    frmQORCalibration& open(const QString& commandLine = {}) {
        window = std::make_unique<frmQORCalibration>(
            AppServices{clock, messages, settings, ports, langPath(), commandLine});
        window->show();
        return *window;
    }

    template <typename T = QWidget>
    T* child(const char* name) const {
        return window->findChild<T*>(QLatin1String(name));
    }
    QString text(const char* name) const {
        if (auto* l = child<QLabel>(name))
            return l->text();
        if (auto* b = child<QAbstractButton>(name))
            return b->text();
        return {};
    }
    bool visible(const char* name) const { return child(name) && child(name)->isVisible(); }
    bool enabled(const char* name) const { return child(name) && child(name)->isEnabled(); }
};

} // namespace qm
