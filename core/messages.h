#pragma once
// The one seam for message boxes and questions. Every message of the program
// is titled with the application's title and goes through a MessageSink.
#include <QString>

namespace qm {

inline const QString kAppTitle = QStringLiteral("QM-07R");

enum class MsgIcon { None, Critical, Exclamation, Question, Information };

enum MsgButton { MsgOk = 1, MsgYes = 2, MsgNo = 4, MsgCancel = 8, MsgRetry = 16 };

struct Message {
    QString text;
    MsgIcon icon = MsgIcon::None;
    int buttons = MsgOk; // OR of MsgButton
    MsgButton defaultButton = MsgOk;
};

class MessageSink {
  public:
    virtual ~MessageSink() = default;
    // Shows the message modally and returns the button pressed.
    virtual MsgButton show(const Message& m) = 0;

    // The shapes the program uses.
    void critical(const QString& text) { show({text, MsgIcon::Critical, MsgOk, MsgOk}); }
    void exclamation(const QString& text) { show({text, MsgIcon::Exclamation, MsgOk, MsgOk}); }
    void information(const QString& text) { show({text, MsgIcon::Information, MsgOk, MsgOk}); }
    void plain(const QString& text) { show({text, MsgIcon::None, MsgOk, MsgOk}); }
    // Yes/No, No the default: true only on Yes.
    bool confirm(const QString& text) {
        return show({text, MsgIcon::Question, MsgYes | MsgNo, MsgNo}) == MsgYes;
    }
};

// Appends " [code]" after a text, as result codes are shown.
inline QString withCode(const QString& text, long long code) {
    return text + QStringLiteral(" [") + QString::number(code) + QStringLiteral("]");
}

} // namespace qm
