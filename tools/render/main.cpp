#include "tools/render/render_tool.h"

int main(int argc, char** argv) { return orvex::offscreen::runRender(argc, argv); }
