#pragma once
// Writing the sensor: the image comparison and the save without the window
// (the pages are converted into CurrentRecord by the caller first).
#include "device/protocol.h"
#include "sensor/reader.h"

#include <QByteArray>

namespace qm {

// 0 when the images agree, 999 when either is empty, else the 1-based
// position of the first difference. Positions 50..55 (the date of writing)
// and anything behind the shorter image are not compared.
int CompareImages(const QByteArray& newImage, const QByteArray& oldImage);

enum SaveResult : int {
    kSaveWritten = 1,
    kSaveUnchanged = 0,
    kSaveWriteFailed = -2,
    kSaveConvertFailed = -4, // the caller's conversion of the pages failed
};

// From CurrentRecord on: copies it into the record of the memory it goes to
// (the iTag when present, else the device's store), encodes it, skips an
// unchanged image when onlyIfChanged, writes it byte by byte, resets the
// device and reads everything back. A failed write shows language text 47
// with its code; writeResult receives WriteConfigBlock's result.
int SaveSensorCore(ReadContext& ctx, SensorSession& s, bool onlyIfChanged,
                   const WriteProgress& progress = {}, int* writeResult = nullptr);

} // namespace qm
