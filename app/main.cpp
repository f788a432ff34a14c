#include "app/batch.h"
#include "app/program.h"

int main(int argc, char** argv) {
  if (tamariko::IsBatchRun(argc, argv)) return tamariko::RunBatch(argc, argv);
  return tamariko::RunProgram(argc, argv);
}
