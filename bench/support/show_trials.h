#pragma once

// What the benchmarks of the real window share (scripts/test-env.sh): the
// program started from a program folder of its own with a script, its
// window found, clicks and keys sent as XTest events timed as they leave for
// the X server, the null sink's monitor recorded, and each trial's time from
// the act to the first loud sample at the monitor. Figures are printed as
// median, worst and best of the trials.

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

#include "../../tests/platform/media/audio_test_support.h"
#include "../../tests/support/program_folder.h"

namespace scenova::bench {

using testing::Clock;
using testing::SinkRecorder;

// Runs a program and returns its standard output, trimmed.
QString run(const QString& program, const QStringList& args);
double ms(Clock::duration d);
// The CPU time (user + system) a process has used, in seconds.
double cpuSeconds(qint64 pid);
// Prints "what  median .. ms  worst .. ms  best .. ms  (n=..)", the name
// padded to `width`; nothing for no figures, or `ifEmpty` when given.
void report(const char* what, std::vector<double> v, int width = 28, const char* ifEmpty = nullptr);

// The program under the benchmark and the monitor of the null sink.
class ShowTrials {
 public:
  ShowTrials();
  ~ShowTrials();
  ShowTrials(const ShowTrials&) = delete;
  ShowTrials& operator=(const ShowTrials&) = delete;

  test::ProgramFolder& folder() { return folder_; }
  SinkRecorder& recorder() { return recorder_; }
  QProcess& program() { return program_; }
  const QString& windowId() const { return id_; }

  // Installs the program, writes `script` (RTF) as show.rtf, starts the
  // recorder (1 ms deliveries: an arrival is known to about 1 ms) and the
  // program with `args` before the script, and finds its window; the
  // script's lines are taken as `pointSize` Arial. Says why on stderr when
  // it fails.
  bool start(const QByteArray& script, int pointSize, const QStringList& args = {});

  // Clicks at (x, y) on the screen (or through a whole xdotool run); returns
  // when the press left for the X server.
  Clock::time_point clickAt(int x, int y, bool throughXdotool = false);
  // Clicks line `line` of the script.
  Clock::time_point click(int line, bool throughXdotool = false);
  // Presses and releases the key (an X keysym); returns when the press left.
  Clock::time_point key(unsigned long keysym);
  int screenWidth() const;

  // Ms from t to the first sample louder than `threshold` recorded after
  // `mark`, looked for `waitMs` later; -1 when none.
  double onsetAfter(qint64 mark, Clock::time_point t, int waitMs = 400, int threshold = 1000);
  // One trial: `act` starts the sound and says when it was asked for; the
  // onset (as onsetAfter) goes into `into` when there was one, and is
  // returned.
  double trial(std::vector<double>& into, const std::function<Clock::time_point()>& act,
               int waitMs = 400, int threshold = 1000);

 private:
  test::ProgramFolder folder_;
  SinkRecorder recorder_;
  QProcess program_;
  QString id_;
  int x_ = 0, y_ = 0;
  double menu_ = 0, lineHeight_ = 0;
  struct X;
  std::unique_ptr<X> x11_;
};

}  // namespace scenova::bench
