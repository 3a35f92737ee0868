#pragma once
// SystemCalibrationPanel: the service-mode system calibration of the amplifier: the zero
// count N and the multiplier k (mV/V per count), captured, typed or defaulted,
// written to the device's memory, and the device reset.
#include <QGroupBox>

class QLabel;
class QLineEdit;
class QPushButton;

namespace qm {

class LangTable;
class MessageSink;
class ServiceActions;
struct SensorSession;

class SystemCalibrationPanel : public QGroupBox {
    Q_OBJECT
  public:
    SystemCalibrationPanel(SensorSession& session, ServiceActions& actions, MessageSink& messages,
                           const LangTable& lang, QWidget* parent = nullptr);

    QLineEdit* constantNField() const { return m_zeroCountField; }
    QLineEdit* constantKField() const { return m_multiplierField; }
    QLabel* gainCaption() const { return m_gainCaption; }
    QPushButton* setZeroButton() const { return m_setZeroButton; }
    QPushButton* setGainButton() const { return m_setGainButton; }
    QPushButton* loadDefaultsButton() const { return m_loadDefaultsButton; }
    QPushButton* saveConstantsButton() const { return m_saveConstantsButton; }
    QPushButton* resetButton() const { return m_resetButton; }

    // After a read: both fields on a white background.
    void constantsRead();
    // The tips in the window's language, once it is loaded (the captions
    // follow the window's caption table).
    void showTexts();

  public slots:
    void setZeroFromLive();      // N := the live raw count
    void setGainFrom2mVV();      // k := 2 / (raw count - N)
    void loadDefaultConstants(); // default texts into the fields only
    void Save();                 // Zápis: checked, confirmed, then written by the session
    void Reset();                // RESET

  private:
    SensorSession& m_session;
    ServiceActions& m_actions;
    MessageSink& m_messages;
    const LangTable& m_lang;
    QLineEdit* m_zeroCountField;
    QLineEdit* m_multiplierField;
    QLabel* m_gainCaption;
    QPushButton* m_setZeroButton;
    QPushButton* m_setGainButton;
    QPushButton* m_loadDefaultsButton;
    QPushButton* m_saveConstantsButton;
    QPushButton* m_resetButton;
};

} // namespace qm
