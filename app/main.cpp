#include "app/viewer.h"

int main(int argc, char** argv) { return orvex::app::runViewer(argc, argv); }
