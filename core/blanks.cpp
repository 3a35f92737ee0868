#include "core/blanks.h"

namespace qm {

namespace {

template <typename Text> Text trimmed(const Text& text) {
    qsizetype b = 0, e = text.size();
    while (b < e && text[b] == u' ')
        ++b;
    while (e > b && text[e - 1] == u' ')
        --e;
    return text.mid(b, e - b);
}

} // namespace

QString TrimBlanks(const QString& text) {
    return trimmed(text);
}

QByteArray TrimBlanks(const QByteArray& text) {
    return trimmed(text);
}

} // namespace qm
