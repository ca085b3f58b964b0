#include "offscreen/offscreen_context.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstring>
#include <tuple>
#include <vector>

namespace orvex::offscreen {

// An EGL pbuffer, not a framebuffer object: Mesa draws a window-system buffer upside down
// compared with a framebuffer object, and pixels on polygon edges and depth ties follow
// the orientation. A pbuffer is drawn exactly as the viewer's window is.
struct OffscreenContext::Egl {
  EGLDisplay display = EGL_NO_DISPLAY;
  EGLContext context = EGL_NO_CONTEXT;
  EGLSurface surface = EGL_NO_SURFACE;

  bool open(int width, int height, std::string* error);

 private:
  // Mesa's surfaceless display, initialised, with desktop OpenGL bound.
  bool openDisplay(std::string* error);
  // A compatibility-profile context, current without a surface.
  bool createContext(EGLConfig config, std::string* error);
  // A width x height pbuffer, when the context can draw one that large, made current.
  bool createPbuffer(EGLConfig config, int width, int height, std::string* error);
};

namespace {

bool hasExtension(const char* list, const char* name) {
  if (list == nullptr) return false;
  const size_t n = std::strlen(name);
  for (const char* p = list; (p = std::strstr(p, name)) != nullptr; p += n) {
    const bool startsWord = p == list || p[-1] == ' ';
    if (startsWord && (p[n] == ' ' || p[n] == '\0')) return true;
  }
  return false;
}

// The configuration GLUT's GLUT_DOUBLE | GLUT_DEPTH window gets from GLX on the same
// Mesa: 8-bit red, green and blue without alpha (a 24-bit visual), one sample, and the
// largest depth buffer (GLX sorts depth larger first; EGL would sort it smaller first),
// then the smallest stencil. Without such a configuration, one with alpha.
bool chooseWindowConfig(EGLDisplay display, EGLConfig* chosen) {
  const EGLint wanted[] = {EGL_RED_SIZE,
                           8,
                           EGL_GREEN_SIZE,
                           8,
                           EGL_BLUE_SIZE,
                           8,
                           EGL_RENDERABLE_TYPE,
                           EGL_OPENGL_BIT,
                           EGL_SURFACE_TYPE,
                           EGL_PBUFFER_BIT,
                           EGL_NONE};
  EGLint count = 0;
  if (!eglChooseConfig(display, wanted, nullptr, 0, &count) || count < 1) return false;
  std::vector<EGLConfig> configs(count);
  if (!eglChooseConfig(display, wanted, configs.data(), count, &count)) return false;
  auto attribute = [&](EGLConfig config, EGLint name) {
    EGLint value = 0;
    eglGetConfigAttrib(display, config, name, &value);
    return value;
  };
  bool found = false;
  std::tuple<bool, EGLint, EGLint> best;
  for (int i = 0; i < count; ++i) {
    const EGLConfig c = configs[i];
    if (attribute(c, EGL_RED_SIZE) != 8 || attribute(c, EGL_GREEN_SIZE) != 8 ||
        attribute(c, EGL_BLUE_SIZE) != 8 || attribute(c, EGL_SAMPLES) != 0 ||
        attribute(c, EGL_DEPTH_SIZE) == 0) {
      continue;
    }
    const std::tuple<bool, EGLint, EGLint> rank{attribute(c, EGL_ALPHA_SIZE) == 0,
                                                attribute(c, EGL_DEPTH_SIZE),
                                                -attribute(c, EGL_STENCIL_SIZE)};
    if (!found || rank > best) {
      found = true;
      best = rank;
      *chosen = c;
    }
  }
  return found;
}

template <typename Fn>
bool lookUp(const char* name, Fn* fn) {
  *fn = reinterpret_cast<Fn>(eglGetProcAddress(name));
  return *fn != nullptr;
}

std::string eglFailure(const char* step) {
  char code[16];
  std::snprintf(code, sizeof code, "0x%04x", static_cast<unsigned>(eglGetError()));
  return std::string("offscreen OpenGL: ") + step + " failed (EGL error " + code + ")";
}

}  // namespace

bool OffscreenContext::Egl::openDisplay(std::string* error) {
  const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
  if (!hasExtension(clientExtensions, "EGL_MESA_platform_surfaceless")) {
    *error =
        "offscreen OpenGL: EGL has no surfaceless platform (EGL_MESA_platform_surfaceless); "
        "install Mesa's EGL (libegl-mesa0)";
    return false;
  }
  PFNEGLGETPLATFORMDISPLAYEXTPROC getPlatformDisplay = nullptr;
  if (!lookUp("eglGetPlatformDisplayEXT", &getPlatformDisplay)) {
    *error = "offscreen OpenGL: eglGetPlatformDisplayEXT is missing";
    return false;
  }
  display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
  if (display == EGL_NO_DISPLAY) {
    *error = eglFailure("eglGetPlatformDisplayEXT(surfaceless)");
    return false;
  }
  EGLint major = 0, minor = 0;
  if (!eglInitialize(display, &major, &minor)) {
    display = EGL_NO_DISPLAY;
    *error = eglFailure("eglInitialize");
    return false;
  }
  if (!hasExtension(eglQueryString(display, EGL_EXTENSIONS), "EGL_KHR_surfaceless_context")) {
    *error = "offscreen OpenGL: EGL_KHR_surfaceless_context is not supported";
    return false;
  }
  if (!eglBindAPI(EGL_OPENGL_API)) {
    *error = eglFailure("eglBindAPI(EGL_OPENGL_API)");
    return false;
  }
  return true;
}

bool OffscreenContext::Egl::createContext(EGLConfig config, std::string* error) {
  // The fixed-function pipeline the scene is built on lives only in the compatibility
  // profile.
  const EGLint contextAttributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                      EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
  context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttributes);
  if (context == EGL_NO_CONTEXT) {
    *error = eglFailure("eglCreateContext(compatibility profile)");
    return false;
  }
  // Current without a surface first, to learn the largest buffer before making one: EGL's
  // own pbuffer limit is Mesa's nominal 4096, which it does not hold to.
  if (!eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context)) {
    *error = eglFailure("eglMakeCurrent(no surface)");
    return false;
  }
  return true;
}

bool OffscreenContext::Egl::createPbuffer(EGLConfig config, int width, int height,
                                          std::string* error) {
  GLint largest = 0;
  glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &largest);
  if (width > largest || height > largest) {
    *error = "offscreen OpenGL: size " + std::to_string(width) + "x" + std::to_string(height) +
             " exceeds the largest framebuffer, " + std::to_string(largest);
    return false;
  }
  const EGLint surfaceAttributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
  surface = eglCreatePbufferSurface(display, config, surfaceAttributes);
  if (surface == EGL_NO_SURFACE) {
    *error = eglFailure("eglCreatePbufferSurface");
    return false;
  }
  if (!eglMakeCurrent(display, surface, surface, context)) {
    *error = eglFailure("eglMakeCurrent(pbuffer)");
    return false;
  }
  return true;
}

// Mesa's surfaceless display with a desktop-GL compatibility context current on a pbuffer.
bool OffscreenContext::Egl::open(int width, int height, std::string* error) {
  if (!openDisplay(error)) return false;
  EGLConfig config = nullptr;
  if (!chooseWindowConfig(display, &config)) {
    *error = "offscreen OpenGL: no pbuffer configuration with 8-bit red, green and blue";
    return false;
  }
  return createContext(config, error) && createPbuffer(config, width, height, error);
}

std::unique_ptr<OffscreenContext> OffscreenContext::create(int width, int height,
                                                           std::string* error) {
  if (width <= 0 || height <= 0) {
    *error = "offscreen OpenGL: size " + std::to_string(width) + "x" + std::to_string(height) +
             " is not positive";
    return nullptr;
  }
  std::unique_ptr<OffscreenContext> ctx(new OffscreenContext);
  ctx->egl_ = std::make_unique<Egl>();
  ctx->width_ = width;
  ctx->height_ = height;
  if (!ctx->egl_->open(width, height, error)) return nullptr;
  // The viewer reads nothing back; here the picture is read from the buffer drawn.
  glReadBuffer(GL_BACK);
  glViewport(0, 0, width, height);
  return ctx;
}

OffscreenContext::~OffscreenContext() {
  if (!egl_) return;
  if (egl_->display != EGL_NO_DISPLAY) {
    eglMakeCurrent(egl_->display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  }
  if (egl_->context != EGL_NO_CONTEXT) eglDestroyContext(egl_->display, egl_->context);
  if (egl_->surface != EGL_NO_SURFACE) eglDestroySurface(egl_->display, egl_->surface);
  if (egl_->display != EGL_NO_DISPLAY) eglTerminate(egl_->display);
}

std::string OffscreenContext::renderer() const {
  const GLubyte* name = glGetString(GL_RENDERER);
  return name != nullptr ? reinterpret_cast<const char*>(name) : "";
}

std::vector<std::uint8_t> OffscreenContext::readRgb() const {
  const size_t row = static_cast<size_t>(width_) * 3;
  std::vector<std::uint8_t> bottomUp(row * height_);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width_, height_, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
  // GL's first row is the bottom one; pictures start at the top.
  std::vector<std::uint8_t> topDown(bottomUp.size());
  for (int y = 0; y < height_; ++y) {
    std::memcpy(&topDown[row * y], &bottomUp[row * (height_ - 1 - y)], row);
  }
  return topDown;
}

}  // namespace orvex::offscreen
