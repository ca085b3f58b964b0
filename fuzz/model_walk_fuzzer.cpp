// Arbitrary bytes, NUL included, as each of a model's three files, then a whole frame's
// cell walk into the recording sink in both fill styles. Loading must either refuse with
// a message or give a model the walk draws without a fault.
//
// The input is split by length (FuzzedDataProvider), never at a byte value, so every
// byte can reach every file.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>

#include "fuzz/fuzz_dir.h"
#include "model/loader.h"
#include "render/cell_walk.h"
#include "render/recording_sink.h"
#include "render/scene.h"
#include "view4d/transform4.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orvex;
  FuzzedDataProvider in(data, size);
  // The normals file's name comes from the vertex file; seeds name it m.nor.
  const std::string vertices = in.ConsumeRandomLengthString(size);
  const std::string polygons = in.ConsumeRandomLengthString(size);
  view4d::PlaneAngles turn;
  for (int k = 0; k < 6; ++k) turn[k] = in.ConsumeFloatingPointInRange<double>(-4.0, 4.0);
  render::DrawSettings settings;
  settings.hidePoly = in.ConsumeIntegralInRange<int>(-1, 12);
  settings.extendRate = in.ConsumeFloatingPointInRange<double>(-1.0, 1.0);
  const std::string normals = in.ConsumeRemainingBytesAsString();
  fuzz::writeScratch("m.poi", vertices);
  fuzz::writeScratch("fm.cel", polygons);
  fuzz::writeScratch("m.nor", normals);

  model::Model m;
  model::Vec3List projected;
  std::string error;
  if (!model::loadModel(fuzz::scratchDir(), "m", &m, &projected, &error)) {
    if (error.empty() || error.find('\n') != std::string::npos) std::abort();
    return 0;
  }
  view4d::OrthoProjector rotation, view;
  rotation.rotate(turn);
  view.assignTranspose(rotation);
  for (int fill : {0, 1}) {
    settings.fillType = fill;
    render::RecordingSink sink;
    render::drawCells(m, view, render::kEye, settings, &projected, &sink);
  }
  return 0;
}
