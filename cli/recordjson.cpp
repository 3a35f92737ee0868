#include "cli/recordjson.h"

#include "core/blanks.h"
#include "sensor/recordrules.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace qm {

QByteArray FloatJson(float v) {
    if (std::isnan(v)) return "\"NaN\"";
    if (std::isinf(v)) return v < 0 ? "\"-Infinity\"" : "\"Infinity\"";
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, v);
    return QByteArray(buf, res.ptr - buf);
}

QByteArray StringJson(const QString& s) {
    QByteArray out = "\"";
    for (const char c : s.toUtf8()) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\')
            out += '\\' + QByteArray(1, c);
        else if (u < 0x20)
            out += QByteArray("\\u00") + QByteArray::number(u, 16).rightJustified(2, '0');
        else
            out += c;
    }
    return out + '"';
}

namespace {

QByteArray CurveJson(const std::array<float, SensorRecord::kMaxPoints + 1>& curve, int count) {
    QByteArray out = "[";
    for (int i = 0; i < std::clamp(count, 0, SensorRecord::kMaxPoints); ++i)
        out += (i ? ", " : "") + FloatJson(curve[i]);
    return out + ']';
}

} // namespace

QByteArray RecordToJson(const SensorRecord& rec, int indent) {
    const QByteArray pad(indent + 2, ' ');
    QList<QPair<const char*, QByteArray>> fields = {
        {"SerialNo", StringJson(TrimBlanks(rec.SerialNo))},
        {"SpareSingle", FloatJson(rec.SpareSingle)},
        {"Signal", CurveJson(rec.Signal, rec.PointCount)},
        {"Value", CurveJson(rec.Value, rec.PointCount)},
        {"PointCount", QByteArray::number(rec.PointCount)},
        {"Slide", QByteArray::number(rec.Averaging)},
        {"SlideRychl", QByteArray::number(rec.AveragingSpeed)},
        {"Flags", QByteArray::number(rec.Flags)},
        {"FullScale", FloatJson(rec.FullScale)},
        {"GainIndex", QByteArray::number(rec.GainIndex)},
        {"Popis", StringJson(TrimBlanks(rec.Description))},
        {"Jednotka", StringJson(TrimBlanks(rec.Unit))},
        {"Format", StringJson(TrimBlanks(rec.Format))},
        {"DateSaved", StringJson(TrimBlanks(rec.DateSaved))},
        {"DateCreated", StringJson(TrimBlanks(rec.DateCreated))},
        {"MemGroup", QByteArray::number(rec.MemGroup)},
        {"MemSub", QByteArray::number(rec.MemSub)},
    };
    QByteArray out = "{\n";
    for (qsizetype i = 0; i < fields.size(); ++i) {
        out += pad + '"' + fields[i].first + "\": " + fields[i].second;
        out += i + 1 < fields.size() ? ",\n" : "\n";
    }
    return out + QByteArray(indent, ' ') + '}';
}

namespace {

// Reads one JSON object into a record, stopping at the first refusal.
class Reader {
  public:
    explicit Reader(const QJsonObject& obj) : m_obj(obj) {}

    bool text(const char* key, QString& field, int length) {
        if (!m_obj.contains(QLatin1String(key))) return true;
        const QJsonValue v = m_obj.value(QLatin1String(key));
        if (!v.isString()) return fail(key, QStringLiteral("is not a text"));
        const QString s = TrimBlanks(v.toString());
        if (s.size() > length)
            return fail(key, QStringLiteral("is longer than %1 characters").arg(length));
        field = PadField(s, length);
        return true;
    }

    template <typename Int> bool integer(const char* key, Int& field, double lo, double hi) {
        if (!m_obj.contains(QLatin1String(key))) return true;
        const QJsonValue v = m_obj.value(QLatin1String(key));
        const double d = v.toDouble(std::nan(""));
        if (!v.isDouble() || d != std::floor(d))
            return fail(key, QStringLiteral("is not a whole number"));
        if (d < lo || d > hi)
            return fail(key, QStringLiteral("%1 is outside %2..%3").arg(d).arg(lo).arg(hi));
        field = static_cast<Int>(d);
        return true;
    }

    bool number(const char* key, float& field) {
        if (!m_obj.contains(QLatin1String(key))) return true;
        return toFloat(key, m_obj.value(QLatin1String(key)), field);
    }

    bool curve(const char* key, std::array<float, SensorRecord::kMaxPoints + 1>& field, int count) {
        if (!m_obj.contains(QLatin1String(key))) return true;
        const QJsonValue v = m_obj.value(QLatin1String(key));
        if (!v.isArray()) return fail(key, QStringLiteral("is not a list of numbers"));
        const QJsonArray a = v.toArray();
        if (a.size() != count)
            return fail(
                key, QStringLiteral("holds %1 numbers, PointCount is %2").arg(a.size()).arg(count));
        for (int i = 0; i < count; ++i) {
            if (!toFloat(key, a[i], field[i])) return false;
        }
        return true;
    }

    bool fail(const char* key, const QString& why) {
        m_error = QStringLiteral("%1 %2").arg(QLatin1String(key), why);
        return false;
    }
    QString error() const { return m_error; }

  private:
    bool toFloat(const char* key, const QJsonValue& v, float& out) {
        const double d = v.toDouble(std::nan(""));
        if (!v.isDouble() || !std::isfinite(d) || std::fabs(d) > std::numeric_limits<float>::max())
            return fail(key, QStringLiteral("holds a value that is not a finite 32-bit number"));
        out = static_cast<float>(d);
        return true;
    }

    const QJsonObject& m_obj;
    QString m_error;
};

const QStringList kKeys = {"SerialNo", "SpareSingle", "Signal", "Value",     "PointCount",
                           "Slide",    "SlideRychl",  "Flags",  "FullScale", "GainIndex",
                           "Popis",    "Jednotka",    "Format", "DateSaved", "DateCreated",
                           "MemGroup", "MemSub"};

} // namespace

bool RecordFromJson(const QJsonObject& obj, SensorRecord& rec, QString* error) {
    SensorRecord r = rec;
    Reader in(obj);
    auto refuse = [&](const QString& why) {
        if (error) *error = why;
        return false;
    };
    for (auto it = obj.begin(); it != obj.end(); ++it) {
        if (!kKeys.contains(it.key()))
            return refuse(QStringLiteral("unknown key \"%1\"").arg(it.key()));
    }

    // Without PointCount the curve's length gives it.
    const bool hasSignal = obj.contains(QLatin1String("Signal"));
    const bool hasValue = obj.contains(QLatin1String("Value"));
    if (!obj.contains(QLatin1String("PointCount")) && obj.value("Signal").isArray())
        r.PointCount = static_cast<int32_t>(obj.value("Signal").toArray().size());
    if (!in.integer("PointCount", r.PointCount, INT32_MIN, INT32_MAX)) return refuse(in.error());
    if (r.PointCount < 2 || r.PointCount > SensorRecord::kMaxPoints)
        return refuse(QStringLiteral("PointCount %1 is outside 2..40").arg(r.PointCount));
    if (r.PointCount != rec.PointCount && !(hasSignal && hasValue))
        return refuse(
            QStringLiteral("PointCount %1 needs both Signal and Value").arg(r.PointCount));

    const bool ok =
        in.text("SerialNo", r.SerialNo, SensorRecord::kSerialLen) &&
        in.number("SpareSingle", r.SpareSingle) && in.curve("Signal", r.Signal, r.PointCount) &&
        in.curve("Value", r.Value, r.PointCount) && in.integer("Slide", r.Averaging, 0, 255) &&
        in.integer("SlideRychl", r.AveragingSpeed, 0, 255) &&
        in.integer("Flags", r.Flags, 0, 255) && in.number("FullScale", r.FullScale) &&
        in.integer("GainIndex", r.GainIndex, 0, 7) &&
        in.text("Popis", r.Description, SensorRecord::kDescriptionLen) &&
        in.text("Jednotka", r.Unit, SensorRecord::kUnitLen) &&
        in.text("Format", r.Format, SensorRecord::kFormatLen) &&
        in.text("DateSaved", r.DateSaved, SensorRecord::kDateLen) &&
        in.text("DateCreated", r.DateCreated, SensorRecord::kDateLen) &&
        in.integer("MemGroup", r.MemGroup, INT32_MIN, INT32_MAX) &&
        in.integer("MemSub", r.MemSub, INT32_MIN, INT32_MAX);
    if (!ok) return refuse(in.error());
    rec = r;
    return true;
}

bool RecordFromJsonText(const QByteArray& text, const QDate& today, SensorRecord& rec,
                        QString* error) {
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(text, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        if (error)
            *error = QStringLiteral("bad JSON at offset %1: %2")
                         .arg(parseError.offset)
                         .arg(parseError.errorString());
        return false;
    }
    if (!doc.isObject()) {
        if (error) *error = QStringLiteral("not a JSON object");
        return false;
    }
    // decode's output is accepted as it stands: the record sits under "record".
    QJsonObject obj = doc.object();
    if (obj.value("record").isObject()) obj = obj.value("record").toObject();
    SensorSession defaults;
    LoadDefaultRecord(defaults, 1, today);
    SensorRecord r = defaults.TagRecord;
    if (!RecordFromJson(obj, r, error)) return false;
    rec = r;
    return true;
}

} // namespace qm
