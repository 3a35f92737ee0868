#pragma once
// The scripted line under the names the sensor reader's tests use.
#include "support/scriptedline.h"

using Piece = qm::ReplyPiece;
using FakeFactory = qm::ScriptedPorts;
inline QList<Piece> at(qint64 ms, const QByteArray& bytes) {
    return qm::after(ms, bytes);
}
