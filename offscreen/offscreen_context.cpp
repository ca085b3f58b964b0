#include "offscreen/offscreen_context.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstring>

namespace orvex::offscreen {

// The framebuffer-object entry points are not part of the GL 1.x ABI libGL exports,
// so they are looked up once the context exists.
struct OffscreenContext::Egl {
  EGLDisplay display = EGL_NO_DISPLAY;
  EGLContext context = EGL_NO_CONTEXT;
  PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
  PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
  PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers = nullptr;
  PFNGLGENRENDERBUFFERSPROC genRenderbuffers = nullptr;
  PFNGLBINDRENDERBUFFERPROC bindRenderbuffer = nullptr;
  PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers = nullptr;
  PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage = nullptr;
  PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer = nullptr;
  PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus = nullptr;

  bool open(std::string* error);
  bool lookUpFramebuffers();
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

// Mesa's surfaceless display with a desktop-GL compatibility context made current.
bool OffscreenContext::Egl::open(std::string* error) {
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
  const EGLint configAttributes[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_SURFACE_TYPE,
                                     EGL_PBUFFER_BIT, EGL_NONE};
  EGLConfig config = nullptr;
  EGLint configs = 0;
  if (!eglChooseConfig(display, configAttributes, &config, 1, &configs) || configs < 1) {
    *error = eglFailure("eglChooseConfig(desktop OpenGL)");
    return false;
  }
  // The fixed-function pipeline the scene is built on lives only in the compatibility
  // profile.
  const EGLint contextAttributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                      EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
  context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttributes);
  if (context == EGL_NO_CONTEXT) {
    *error = eglFailure("eglCreateContext(compatibility profile)");
    return false;
  }
  if (!eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context)) {
    *error = eglFailure("eglMakeCurrent(no surface)");
    return false;
  }
  return true;
}

bool OffscreenContext::Egl::lookUpFramebuffers() {
  return lookUp("glGenFramebuffers", &genFramebuffers) &&
         lookUp("glBindFramebuffer", &bindFramebuffer) &&
         lookUp("glDeleteFramebuffers", &deleteFramebuffers) &&
         lookUp("glGenRenderbuffers", &genRenderbuffers) &&
         lookUp("glBindRenderbuffer", &bindRenderbuffer) &&
         lookUp("glDeleteRenderbuffers", &deleteRenderbuffers) &&
         lookUp("glRenderbufferStorage", &renderbufferStorage) &&
         lookUp("glFramebufferRenderbuffer", &framebufferRenderbuffer) &&
         lookUp("glCheckFramebufferStatus", &checkFramebufferStatus);
}

bool OffscreenContext::attachFramebuffer(std::string* error) {
  Egl& egl = *egl_;
  GLint largest = 0;
  glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &largest);
  if (width_ > largest || height_ > largest) {
    *error = "offscreen OpenGL: size " + std::to_string(width_) + "x" + std::to_string(height_) +
             " exceeds the largest renderbuffer, " + std::to_string(largest);
    return false;
  }
  egl.genFramebuffers(1, &framebuffer_);
  egl.bindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
  egl.genRenderbuffers(1, &colour_);
  egl.bindRenderbuffer(GL_RENDERBUFFER, colour_);
  egl.renderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width_, height_);
  egl.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour_);
  egl.genRenderbuffers(1, &depth_);
  egl.bindRenderbuffer(GL_RENDERBUFFER, depth_);
  egl.renderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width_, height_);
  egl.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_);
  const GLenum status = egl.checkFramebufferStatus(GL_FRAMEBUFFER);
  if (status != GL_FRAMEBUFFER_COMPLETE) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%04x", status);
    *error = std::string("offscreen OpenGL: framebuffer incomplete (status ") + code + ")";
    return false;
  }
  return true;
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
  if (!ctx->egl_->open(error)) return nullptr;
  if (!ctx->egl_->lookUpFramebuffers()) {
    *error = "offscreen OpenGL: framebuffer objects are not available";
    return nullptr;
  }
  if (!ctx->attachFramebuffer(error)) return nullptr;
  glDrawBuffer(GL_COLOR_ATTACHMENT0);
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  // A window gets this viewport when first made current; a surfaceless context does not.
  glViewport(0, 0, width, height);
  return ctx;
}

OffscreenContext::~OffscreenContext() {
  if (!egl_) return;
  if (egl_->context != EGL_NO_CONTEXT) {
    if (framebuffer_ != 0) {
      egl_->bindFramebuffer(GL_FRAMEBUFFER, 0);
      egl_->deleteFramebuffers(1, &framebuffer_);
    }
    const GLuint renderbuffers[] = {colour_, depth_};
    if (colour_ != 0 || depth_ != 0) egl_->deleteRenderbuffers(2, renderbuffers);
    eglMakeCurrent(egl_->display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(egl_->display, egl_->context);
  }
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
