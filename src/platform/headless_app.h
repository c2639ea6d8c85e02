#pragma once

#include <QtGlobal>

#include <memory>

class QGuiApplication;

namespace scenova::platform {

// The Qt set-up of the commands that run without a window: while it lives
// there is a Qt application (an offscreen one is made when the process has
// none) and Qt's own warnings stay off standard error, which belongs to the
// command's one-line errors. Critical messages still get through. The C
// library reads and writes numbers with a point whatever the locale.
class HeadlessApplication {
 public:
  explicit HeadlessApplication(char* programName);
  ~HeadlessApplication();
  HeadlessApplication(const HeadlessApplication&) = delete;
  HeadlessApplication& operator=(const HeadlessApplication&) = delete;

 private:
  int argc_ = 1;
  char* argv_[2];
  QtMessageHandler previous_;
  std::unique_ptr<QGuiApplication> app_;
};

}  // namespace scenova::platform
