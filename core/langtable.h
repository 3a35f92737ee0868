#pragma once
// The language table: texts 1..199 read from the language file. Entries that the
// file does not fill stay empty.
#include <QString>
#include <array>

namespace qm {

class LangTable {
  public:
    static constexpr int kSize = 199;
    QString text(int n) const { return (n >= 1 && n <= kSize) ? m_texts[n - 1] : QString(); }
    // Text n, or the built-in English when the file does not have it.
    QString text(int n, const QString& fallback) const {
        const QString t = text(n);
        return t.isEmpty() ? fallback : t;
    }
    void set(int n, const QString& t) {
        if (n >= 1 && n <= kSize) m_texts[n - 1] = t;
    }
    void clear() { m_texts = {}; }

  private:
    std::array<QString, kSize> m_texts;
};

} // namespace qm
