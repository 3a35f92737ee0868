#pragma once
// What a calibration session may have to ask on the way through a step. The
// front end answers, in its own words; the session only asks.
#include "records/recordedwrite.h"
#include "sensor/reader.h"

#include <QString>

namespace qm {

class SessionQuestions {
  public:
    virtual ~SessionQuestions() = default;
    // Block (group, 0) did not arrive or does not decode.
    virtual BadImageChoice badImage(int group) = 0;
    // The history at url failed at step (the session's historyStatus() says
    // why): true to record into the local file instead.
    virtual bool recordLocally(HistoryStep step, const QString& url) = 0;
    // The block could not be backed up (error): true to try again; folder may
    // be changed to another one for the rest of the run.
    virtual bool retryBackup(const QString& error, QString& folder) = 0;
};

} // namespace qm
