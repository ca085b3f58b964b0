#include "app/viewer.h"

#include <GL/freeglut.h>

#include <iostream>
#include <thread>

#include "app/frame_pacer.h"
#include "config/settings.h"
#include "model/data_dir.h"
#include "model/loader.h"
#include "base/printable.h"
#include "render/gl/scene_gl.h"
#include "render/scene.h"
#include "view4d/view_state.h"

namespace orvex::app {
namespace {

// The process-wide objects, constructed in this order before the program runs and
// destroyed in reverse at exit.
model::Model theModel;
model::Vec3List projectedVertices;
view4d::OrthoProjector viewTransform;
model::Vec3 eye = render::kEye;
view4d::OrthoProjector rotationTransform;
view4d::ViewState viewState(rotationTransform, viewTransform);
config::Settings settings;

// About one frame of a 60 Hz display.
FramePacer spinPacer(std::chrono::microseconds(16667));

void display() {
  render::drawFrame(theModel, viewTransform, eye, config::drawSettingsOf(settings),
                    &projectedVertices);
  glutSwapBuffers();
}

void onIdle();

void onMouse(int button, int state, int x, int y) {
  view4d::onMouse(viewState, button, state, x, y);
  // Only a button event can start a spin, so idle calls are wanted again from here.
  spinPacer.reset();
  glutIdleFunc(onIdle);
}

// Every event still turns the view, but the frame is only requested: GLUT handles all the
// events already waiting before it draws, so a frame slower than the pointer cannot leave
// the picture trailing the hand.
void onMotion(int x, int y) { view4d::onMotion(viewState, x, y, glutPostRedisplay); }

void onIdle() {
  if (view4d::idleIsInert(viewState)) {
    // GLUT calls an idle function continuously; without one it sleeps until events.
    glutIdleFunc(nullptr);
    return;
  }
  // No vsync here: pace the spin to the display rate instead of turning it into a blur.
  std::this_thread::sleep_for(spinPacer.nextFrame(FramePacer::Clock::now()));
  view4d::onIdle(viewState, display);
}

}  // namespace

int runViewer(int argc, char** argv) {
  settings.dataDir = model::defaultDataDir();
  // A refused configuration value still lets --help and --version answer.
  std::string error;
  const bool configRead = config::readConfigFile("orvex.cfg", &settings, &error);
  switch (config::applyCommandLine(argc, argv, &settings)) {
    case config::CommandLineAction::kHelp:
      std::cout << config::usageText(model::defaultDataDir());
      return 0;
    case config::CommandLineAction::kVersion:
      std::cout << "orvex " << ORVEX_VERSION << "\n";
      return 0;
    case config::CommandLineAction::kRun:
      break;
  }

  // The messages quote paths and names the user gave, which may hold terminal escapes.
  if (!configRead || !config::checkSettings(settings, &error)) {
    std::cerr << base::printable(error, error.size()) << std::endl;
    return 1;
  }
  if (!model::loadModel(settings.dataDir, settings.modelName, &theModel, &projectedVertices,
                        &error)) {
    std::cerr << base::printable(error, error.size()) << std::endl;
    return 1;
  }

  glutInit(&argc, argv);
  glutInitDisplayMode(GLUT_DOUBLE | GLUT_DEPTH);
  glutInitWindowSize(settings.width, settings.width);
  glutCreateWindow(settings.title.c_str());
  glutDisplayFunc(display);
  glutMouseFunc(onMouse);
  glutMotionFunc(onMotion);
  glutIdleFunc(onIdle);
  render::setupScene(config::sceneSettingsOf(settings), eye);
  glutMainLoop();
  return 0;
}

}  // namespace orvex::app
