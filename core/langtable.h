#pragma once
// The language table: texts read from the language file, 1..99 as the original
// program had them, and 100 up (three digits) for the messages it did not have.
// Entries that the file does not fill stay empty.
#include <QString>
#include <array>

namespace qm {

class LangTable {
  public:
    static constexpr int kSize = 999;
    QString text(int n) const { return (n >= 1 && n <= kSize) ? m_texts[n - 1] : QString(); }
    void set(int n, const QString& t) {
        if (n >= 1 && n <= kSize) m_texts[n - 1] = t;
    }
    void clear() { m_texts = {}; }

  private:
    std::array<QString, kSize> m_texts;
};

} // namespace qm
