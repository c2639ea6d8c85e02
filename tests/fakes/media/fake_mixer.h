#pragma once

#include "platform/media/mixer.h"

#include <QList>
#include <QStringList>

namespace scenova::platform {

// A stand-in for the master-volume mixer in tests: records every value set.
//
//   FakeMixer mixer;            // opens, maximum 65536
//   mixer.openSucceeds = false; // or: no sound server
//   ... run the code under test ...
//   QCOMPARE(mixer.values.last(), 32768u);
class FakeMixer final : public Mixer {
 public:
  bool openSucceeds = true;
  quint32 max = 65536;      // maximum() once open
  bool setSucceeds = true;  // what setValue() returns while open
  bool opened = false;
  int openCalls = 0;
  QList<quint32> values;  // every value accepted by setValue, in order
  QStringList outputs;    // every output named by setOutput, in order

  bool open() override {
    ++openCalls;
    opened = openSucceeds;
    return opened;
  }
  quint32 maximum() const override { return opened ? max : 0; }
  bool setValue(quint32 value) override {
    if (!opened || !setSucceeds) return false;
    values.append(value);
    return true;
  }
  void setOutput(const QString& outputName) override { outputs.append(outputName); }
};

}  // namespace scenova::platform
