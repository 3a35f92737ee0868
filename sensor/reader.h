#pragma once
// Reading the device and the sensor: ReadQM07, ReadSensor, ReadAll. The window
// plugs its status overlay, buttons, format list and constant fields in
// through ReadUi; questions go through the MessageSink.
#include "core/clock.h"
#include "core/langtable.h"
#include "sensor/sensorrecord.h"

#include <QDate>
#include <QString>

namespace qm {

class DeviceConnection;
class MessageSink;

// What the window shows while reading. The defaults do nothing, except that
// the constant texts are kept so that ReadSensor can read them back.
class ReadUi {
  public:
    virtual ~ReadUi() = default;
    virtual void showStatus(bool visible) { (void)visible; }        // fraSTATUS
    virtual void setStatusText(const QString& text) { (void)text; } // lblStatus
    virtual void lockButtons(bool locked) { (void)locked; }
    virtual void stopLiveTimer() {}
    virtual void setFormatList(int digits) { (void)digits; } // cmbFormat, 5 or 6 digits
    virtual void setConstantsText(const QString& n, const QString& k) {
        m_n = n;
        m_k = k;
    }
    virtual QString constantNText() const { return m_n; } // txtskN
    virtual QString constantKText() const { return m_k; } // txtskK
    virtual void constantsRead() {}                       // backgrounds to white
    virtual void updateCalibration() {}                   // UpdateCalibration

  private:
    QString m_n, m_k;
};

// The display patterns of cmbFormat for 5 or 6 digits; the index is the number of decimals.
QStringList FormatListFor(int digits);

// ReadSensor's results for blocks that failed to arrive; a decoder result otherwise.
inline constexpr int kReadBlockFailed = -1;

struct ReadContext {
    DeviceConnection& link;
    const LangTable& lang;
    ReadUi& ui;                      // a plain ReadUi when there is no window
    MessageSink* messages = nullptr; // null: ask nothing, keep what was decoded
    QDate today = QDate::currentDate();
};

// What ReadSensor found, for callers that report it.
struct SensorReadReport {
    int deviceResult = 0; // DecodeImage result of block 0x80, or kReadBlockFailed
    int tagResult = 0;    // the same for block 0x00 (0 when no iTag)
    bool deviceDefaulted = false;
    bool tagDefaulted = false;
    // The first exchange that got no whole reply, e.g. "the iTag query (KQ)";
    // empty when every one was answered. Values behind it are not the device's.
    QString failed;
};

// 1 read; -1 port error; -2 not a QM-07R; -3 identification reply too short.
// failed, when given, receives the first exchange without a whole reply.
int ReadQM07(ReadContext& ctx, SensorSession& s, QString* ident = nullptr,
             QString* failed = nullptr);

SensorReadReport ReadSensor(ReadContext& ctx, SensorSession& s);

// 1, or ReadQM07's negative result.
int ReadAll(ReadContext& ctx, SensorSession& s, QString* ident = nullptr,
            SensorReadReport* report = nullptr);

} // namespace qm
