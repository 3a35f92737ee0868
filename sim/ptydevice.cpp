#include "sim/ptydevice.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace qm {

namespace {
QString lastError(const char* what) {
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(std::strerror(errno)));
}
} // namespace

PtyDevice::~PtyDevice() {
    removeLink();
    if (m_slave >= 0) ::close(m_slave);
    if (m_master >= 0) ::close(m_master);
}

bool PtyDevice::open(QString* error) {
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
        *error = lastError("posix_openpt");
        return false;
    }
    const char* name = ::ptsname(m_master);
    if (!name) {
        *error = lastError("ptsname");
        return false;
    }
    m_slavePath = QString::fromLocal8Bit(name);
    m_slave = ::open(name, O_RDWR | O_NOCTTY);
    if (m_slave < 0) {
        *error = lastError("open slave");
        return false;
    }
    // Raw bytes both ways: no echo, no CR/LF translation.
    termios t{};
    if (::tcgetattr(m_slave, &t) == 0) {
        ::cfmakeraw(&t);
        ::cfsetspeed(&t, B115200);
        ::tcsetattr(m_slave, TCSANOW, &t);
    }
    return true;
}

bool PtyDevice::publishLink(const QString& link, QString* error) {
    const QFileInfo old(link);
    if (old.isSymLink() || old.exists()) QFile::remove(link);
    if (!QFile::link(m_slavePath, link)) {
        *error = QStringLiteral("cannot create the link %1").arg(link);
        return false;
    }
    m_link = link;
    return true;
}

void PtyDevice::removeLink() {
    // Only our own link: a newer simulator may have taken the name over.
    if (!m_link.isEmpty() && QFileInfo(m_link).symLinkTarget() == m_slavePath)
        QFile::remove(m_link);
    m_link.clear();
}

void PtyDevice::readRequests(qint64 nowMs) {
    char buf[512];
    for (;;) {
        const ssize_t n = ::read(m_master, buf, sizeof buf);
        if (n <= 0) break;
        for (SimChunk& c : m_model.feed(QByteArray(buf, static_cast<int>(n)), nowMs)) {
            if (!m_pending.empty()) c.dueMs = std::max(c.dueMs, m_pending.back().dueMs);
            m_pending.push_back(std::move(c));
        }
    }
}

int PtyDevice::writeDue(qint64 nowMs) {
    while (!m_pending.empty() && m_pending.front().dueMs <= nowMs) {
        SimChunk& c = m_pending.front();
        const ssize_t n =
            ::write(m_master, c.bytes.constData(), static_cast<size_t>(c.bytes.size()));
        if (n < 0 && errno == EAGAIN) return 1; // the line is full: try again shortly
        if (n > 0 && n < c.bytes.size()) {
            c.bytes.remove(0, static_cast<int>(n));
            return 1;
        }
        m_pending.pop_front(); // written, or lost with the line
    }
    if (m_pending.empty()) return -1;
    return static_cast<int>(std::min<qint64>(m_pending.front().dueMs - nowMs, 60000));
}

void PtyDevice::hangUp() {
    for (const SimChunk& c : m_pending)
        (void)!::write(m_master, c.bytes.constData(), static_cast<size_t>(c.bytes.size()));
    m_pending.clear();
    ::tcdrain(m_master);
    removeLink();
    if (m_slave >= 0) ::close(m_slave);
    if (m_master >= 0) ::close(m_master);
    m_slave = m_master = -1;
}

} // namespace qm
