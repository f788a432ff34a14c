#include "batch/batch.h"
#include "main/arguments.h"
#include "window/program.h"

int main(int argc, char** argv) {
  if (tamariko::IsBatchRun(argc, argv)) return tamariko::RunBatch(argc, argv);
  // Before the application object: a wrong argument must not need a display.
  if (const auto status = tamariko::AnswerBeforeWindow(argc, argv)) return *status;
  return tamariko::RunProgram(argc, argv);
}
