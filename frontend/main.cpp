// TsqzLite: the desktop front end of the Tagsqueeze HTML compressor. It takes no arguments.
#include "frontend/startup.h"

int main(int argc, char** argv) { return runTsqzLite(argc, argv); }
