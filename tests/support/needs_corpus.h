#pragma once

// The tests that read the shared RTF corpus (SCENOVA_CORPUS_DIR, beside the
// clone) run nothing without it. Before running anything they check for it:
// absent, the test exits with 77, which CTest reports as skipped rather than
// passed; and where the test command knows the corpus must be there
// (SCENOVA_REQUIRE_CORPUS=1, which scripts/test.sh sets under CI=true), its
// absence fails the run instead.

#include <QDir>
#include <QString>
#include <QtGlobal>

#include <cstdio>

namespace scenova::test {

inline QString corpusDir() {
  const QString dir = qEnvironmentVariable("SCENOVA_CORPUS_DIR");
  return !dir.isEmpty() && QDir(dir).exists(QStringLiteral("README.md")) ? dir : QString();
}

// The exit status for a test that cannot run for want of `what`: 77
// (skipped), or 1 (failed) when `required`.
inline int cannotRun(const char* what, bool required) {
  std::fprintf(stderr, "%s: %s\n", required ? "FAIL" : "SKIP (nothing run)", what);
  return required ? 1 : 77;
}

inline bool corpusRequired() {
  return qEnvironmentVariableIntValue("SCENOVA_REQUIRE_CORPUS") != 0;
}

}  // namespace scenova::test

// main() for a test class that needs the corpus.
#define SCENOVA_CORPUS_TEST_MAIN(TestClass)                                                 \
  int main(int argc, char** argv) {                                                         \
    if (scenova::test::corpusDir().isEmpty())                                               \
      return scenova::test::cannotRun("the RTF corpus is not present (SCENOVA_CORPUS_DIR)", \
                                      scenova::test::corpusRequired());                     \
    QGuiApplication app(argc, argv);                                                        \
    TestClass test;                                                                         \
    return QTest::qExec(&test, argc, argv);                                                 \
  }
