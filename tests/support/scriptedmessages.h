#pragma once
// A MessageSink for tests: records every message shown and answers with the
// buttons queued by the test (the message's default button when none is queued).
#include "core/messages.h"

#include <QList>
#include <QQueue>
#include <QStringList>
#include <functional>

namespace qm {

class ScriptedMessages final : public MessageSink {
  public:
    MsgButton show(const Message& m) override {
        m_shown.append(m);
        if (m_onShow) m_onShow(m);
        return m_answers.isEmpty() ? m.defaultButton : m_answers.dequeue();
    }

    // Queue the answers to the next questions, in order.
    void answer(MsgButton b) { m_answers.enqueue(b); }
    void answerYes() { answer(MsgYes); }
    void answerNo() { answer(MsgNo); }

    // Runs inside show(), before the answer is returned (e.g. to look at a widget
    // while the message would be on screen).
    void setOnShow(std::function<void(const Message&)> f) { m_onShow = std::move(f); }

    const QList<Message>& shown() const { return m_shown; }
    int count() const { return m_shown.size(); }
    bool isEmpty() const { return m_shown.isEmpty(); }
    const Message& last() const { return m_shown.last(); }
    QStringList texts() const {
        QStringList t;
        for (const Message& m : m_shown)
            t << m.text;
        return t;
    }
    void clear() {
        m_shown.clear();
        m_answers.clear();
    }

  private:
    QList<Message> m_shown;
    QQueue<MsgButton> m_answers;
    std::function<void(const Message&)> m_onShow;
};

} // namespace qm
