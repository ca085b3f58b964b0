// The viewer program: settings, model, window and the GLUT event loop.
#pragma once

namespace orvex::app {

/// Runs the viewer with the process's arguments; returns only for --help, --version
/// or a model that cannot be loaded (then with status 1 after one line on stderr).
int runViewer(int argc, char** argv);

}  // namespace orvex::app
