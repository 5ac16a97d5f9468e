// Entry of poromina-tool, the authoring program for data folders.
#include <cstdio>

#include "tools/tool/tool.h"

int main(int argc, char** argv) { return run_tool(argc, argv, stdout, stderr); }
