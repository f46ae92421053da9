// zolyab4: the console.
#include "qt/program.h"

int main(int argc, char** argv) { return zol::RunConsole(argc, argv); }
