#include "tools/orvex-render/render_tool.h"

int main(int argc, char** argv) { return orvex::render_tool::runRender(argc, argv); }
