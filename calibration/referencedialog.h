#pragma once
// ReferenceDialog: the modal dialog for one calibration point (signal and
// reference value). Loaded once, then only shown and hidden; the public
// variables of ReferenceInput carry the numbers in and out.
#include "calibration/referenceinput.h"

#include <QDialog>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace qm {

class LangTable;
class MessageSink;

class ReferenceDialog : public QDialog, public ReferenceInput {
    Q_OBJECT
  public:
    static inline const QString kSignalMask = QStringLiteral("####0.00000");

    ReferenceDialog(MessageSink& messages, const LangTable& lang, QWidget* parent = nullptr);

    // 0: signal field, 1: reference value field.
    QLineEdit* pointField(int i) const;
    // 0: OK (default button), 1: cancel (Esc).
    QPushButton* cmdOK(int i) const;
    QLabel* lblSigEth(int i) const;

    // Fills both fields from signal/reference and focuses one of them, all text selected.
    void showValues();

    // Modal show (ReferenceInput).
    void showModal() override;

  public slots:
    // OK: reads both fields; a number out of a float's range is refused with a
    // message and the dialog stays open.
    void accept() override;
    // Cancel, Esc and the close box: reference := 999999, signal kept.
    void reject() override;

  protected:
    void showEvent(QShowEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    MessageSink& m_messages;
    const LangTable& m_lang;
    QString m_shown[2]; // the texts showValues put in the fields
    QLineEdit* m_fields[2];
    QLabel* m_labels[2];
    QPushButton* m_buttons[2];
};

// The number of a field as a float: refused when it is no number or beyond a float's range.
enum class FieldNumber { Ok, NotANumber, OutOfRange };
FieldNumber ReadFloatField(const QString& text, float& out);
// The typed number as a single holds it, to as many significant digits as
// were typed, when that is not what was typed ("123456789" -> "123456792");
// empty when the single keeps it.
std::optional<QString> ChangedBySingle(const QString& text);

} // namespace qm
