#pragma once
// The real message seam: modal QMessageBox titled with the application's title.
#include "core/langtable.h"
#include "core/messages.h"

class QWidget;

namespace qm {

class QtMessageSink final : public MessageSink {
  public:
    explicit QtMessageSink(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }
    // The buttons' captions from the language table (Yes, No, Cancel, Retry).
    void setLanguage(const LangTable* lang) { m_lang = lang; }
    MsgButton show(const Message& m) override;

  private:
    QWidget* m_parent;
    const LangTable* m_lang = nullptr;
};

} // namespace qm
