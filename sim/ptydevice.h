#pragma once
// The device model on the master side of a pseudo-terminal. The slave side is
// kept open here as well, so that clients coming and going never hang it up.
#include "sim/devicemodel.h"

#include <QString>
#include <deque>

namespace qm {

class PtyDevice {
  public:
    explicit PtyDevice(DeviceModel& model) : m_model(model) {}
    ~PtyDevice();
    PtyDevice(const PtyDevice&) = delete;
    PtyDevice& operator=(const PtyDevice&) = delete;

    bool open(QString* error);
    QString slavePath() const { return m_slavePath; }
    // Points link at the slave side (replacing an older link).
    bool publishLink(const QString& link, QString* error);
    int masterFd() const { return m_master; }

    // Reads what clients wrote and hands it to the model.
    void readRequests(qint64 nowMs);
    // Writes the reply bytes due by nowMs; returns the ms until the next piece
    // is due, or -1 when nothing is pending.
    int writeDue(qint64 nowMs);
    // Sends whatever is pending and closes both sides, as a device being unplugged.
    void hangUp();

  private:
    void removeLink();

    DeviceModel& m_model;
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
    QString m_link;
    std::deque<SimChunk> m_pending;
};

} // namespace qm
