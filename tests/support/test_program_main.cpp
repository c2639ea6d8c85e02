// The program as the end-to-end tests run it: the same start-up as the
// shipped executable, but every dialog answers by itself and appends what it
// was asked to the file named by SCENOVA_TEST_DIALOG_LOG, so that a test can
// watch the process. Message boxes take their answers, in order, from
// SCENOVA_TEST_DIALOG_ANSWERS ("yes,no,cancel"); when those run out they
// answer Cancel, No or Ok. File dialogs answer an empty file name. Choice
// dialogs pick, in order, the entries named in SCENOVA_TEST_DIALOG_CHOICES
// ("Default|Second output"), and cancel when those run out.
// With SCENOVA_STARTUP_PROBE set it prints "shown" once the window is shown
// and the event loop has handled its first events: the start-up benchmark
// times the program up to there.

#include "app/startup.h"
#include "fakes/fakes.h"

#include <cstdio>
#include <memory>

namespace {

using scenova::platform::MsgAnswer;

std::deque<MsgAnswer> scriptedAnswers(const QString& list) {
  std::deque<MsgAnswer> answers;
  for (const QString& word : list.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
    const QString w = word.trimmed().toLower();
    if (w == QLatin1StringView("yes"))
      answers.push_back(MsgAnswer::Yes);
    else if (w == QLatin1StringView("no"))
      answers.push_back(MsgAnswer::No);
    else if (w == QLatin1StringView("ok"))
      answers.push_back(MsgAnswer::Ok);
    else
      answers.push_back(MsgAnswer::Cancel);
  }
  return answers;
}

void reportShown() {
  std::fputs("shown\n", stdout);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  const bool probe = qEnvironmentVariableIsSet("SCENOVA_STARTUP_PROBE");
  return scenova::app::Main(
      argc, argv,
      []() -> std::unique_ptr<scenova::platform::Dialogs> {
        auto dialogs = std::make_unique<scenova::platform::FakeDialogs>();
        dialogs->logFile = qEnvironmentVariable("SCENOVA_TEST_DIALOG_LOG");
        dialogs->messageAnswers =
            scriptedAnswers(qEnvironmentVariable("SCENOVA_TEST_DIALOG_ANSWERS"));
        for (const QString& entry : qEnvironmentVariable("SCENOVA_TEST_DIALOG_CHOICES")
                                        .split(QLatin1Char('|'), Qt::SkipEmptyParts))
          dialogs->choiceAnswers.push_back(entry);
        return dialogs;
      },
      probe ? scenova::app::ShownHook(reportShown) : scenova::app::ShownHook());
}
