#pragma once
// The real message seam: modal QMessageBox titled with the application's title.
#include "core/messages.h"

class QWidget;

namespace qm {

class QtMessageSink final : public MessageSink {
  public:
    explicit QtMessageSink(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }
    MsgButton show(const Message& m) override;

  private:
    QWidget* m_parent;
};

} // namespace qm
