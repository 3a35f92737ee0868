#pragma once
// A message sink that answers from a script and records what was shown.
#include "core/messages.h"

#include <QList>

class RecordingSink final : public qm::MessageSink {
public:
    QList<qm::Message> shown;
    QList<qm::MsgButton> answers; // taken in order; Ok/No when they run out
    qm::MsgButton show(const qm::Message& m) override {
        shown.append(m);
        if (!answers.isEmpty())
            return answers.takeFirst();
        return (m.buttons & qm::MsgNo) ? qm::MsgNo : qm::MsgOk;
    }
};
