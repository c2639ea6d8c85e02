// The program as the end-to-end tests run it: the same start-up as the
// shipped executable, but every dialog answers by itself (Cancel, No, Ok or
// an empty file name) and appends what it was asked to the file named by
// SCENOVA_TEST_DIALOG_LOG, so that a test can watch the process.

#include "app/startup.h"
#include "platform/fakes.h"

#include <memory>

int main(int argc, char** argv) {
  return scenova::app::Main(argc, argv, []() -> std::unique_ptr<scenova::platform::Dialogs> {
    auto dialogs = std::make_unique<scenova::platform::FakeDialogs>();
    dialogs->logFile = qEnvironmentVariable("SCENOVA_TEST_DIALOG_LOG");
    return dialogs;
  });
}
