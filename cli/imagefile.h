#pragma once
// What qm07ctl accepts as an image file, and the image it writes for a record.
#include "sensor/sensorrecord.h"

#include <QByteArray>
#include <QDate>
#include <QString>

namespace qm::cli {

// An image file is a 256-byte block, or an image as encode writes it that
// ends with its last point; both decode alike (a short one read as if the
// rest of the block were zeros).
struct ImageFile {
    int result = 0;   // DecodeImage's result
    QString misfit;   // why the file's length does not fit its image; empty when it does
    SensorRecord rec; // as decoded
};
ImageFile ReadImageFile(const QByteArray& content);

// The image of a record given as JSON text, dated today, checked to fit the
// block and to read back as the record. False with a one-line reason.
bool ImageFromJson(const QByteArray& json, const QDate& today, QByteArray& image, QString& error);

} // namespace qm::cli
