#pragma once
// SystemCalibrationPanel: the service-mode system calibration of the amplifier: the zero
// count N and the multiplier k (mV/V per count), captured, typed or defaulted,
// written to the device's memory, and the device reset.
#include <QGroupBox>

class QLabel;
class QLineEdit;
class QPushButton;

namespace qm {

class Clock;
class LangTable;
class MessageSink;
class ServiceActions;
struct SensorSession;

class SystemCalibrationPanel : public QGroupBox {
    Q_OBJECT
  public:
    SystemCalibrationPanel(SensorSession& session, ServiceActions& actions, MessageSink& messages,
                           Clock& clock, const LangTable& lang, QWidget* parent = nullptr);

    QLineEdit* constantNField() const { return m_txtskN; }
    QLineEdit* constantKField() const { return m_txtskK; }
    QLabel* lblGx() const { return m_lblGx; }
    QPushButton* cmdSKSetNula() const { return m_cmdSKSetNula; }
    QPushButton* cmdSKSetGain() const { return m_cmdSKSetGain; }
    QPushButton* cmdLoadDef() const { return m_cmdLoadDef; }
    QPushButton* cmdSKSave() const { return m_cmdSKSave; }
    QPushButton* cmdReset() const { return m_cmdReset; }

    // After a read: both fields on a white background.
    void constantsRead();

  public slots:
    void SetNula(); // N := the live raw count
    void Set2mVV(); // k := 2 / (raw count - N)
    void LoadDef(); // default texts into the fields only
    void Save();    // Zápis: write both, reset, read back, live on again
    void Reset();   // RESET

  private:
    SensorSession& m_session;
    ServiceActions& m_actions;
    MessageSink& m_messages;
    Clock& m_clock;
    const LangTable& m_lang;
    QLineEdit* m_txtskN;
    QLineEdit* m_txtskK;
    QLabel* m_lblGx;
    QPushButton* m_cmdSKSetNula;
    QPushButton* m_cmdSKSetGain;
    QPushButton* m_cmdLoadDef;
    QPushButton* m_cmdSKSave;
    QPushButton* m_cmdReset;
};

} // namespace qm
