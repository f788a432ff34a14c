#include "app/program.h"

int main(int argc, char** argv) { return tamariko::RunProgram(argc, argv); }
