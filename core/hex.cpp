#include "core/hex.h"

#include <bit>
#include <cstdint>

namespace qm {

QString HexN(qint64 v, int w) {
    const auto u = static_cast<uint32_t>(v);
    QString digits = QString::number(u, 16).toUpper();
    if (w <= 0) return {};
    return (QString(w, QLatin1Char('0')) + digits).right(w);
}

qint64 HexVal(QStringView text) {
    quint64 sum = 0;
    for (QChar ch : text) {
        int d = ch.toUpper().unicode() - 48;
        if (d > 9) d -= 7;
        if (d < 0 || d > 15) return 0;
        sum = sum * 16 + static_cast<quint64>(d);
    }
    return static_cast<qint64>(sum);
}

QByteArray SingleBytes(float x) {
    const auto bits = std::bit_cast<uint32_t>(x);
    QByteArray out;
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((bits >> (8 * i)) & 0xFF);
    return out;
}

float SingleFromBytes(QByteArrayView bytes, bool msbFirst) {
    uint32_t bits = 0;
    for (qsizetype i = 0; i < 4 && i < bytes.size(); ++i) {
        const auto byte = static_cast<uint32_t>(static_cast<uint8_t>(bytes[i]));
        bits |= byte << (msbFirst ? 8 * (3 - i) : 8 * i);
    }
    return std::bit_cast<float>(bits);
}

} // namespace qm
