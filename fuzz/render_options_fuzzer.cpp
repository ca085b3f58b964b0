// orvex-render's command line: arbitrary words, then the names it would write.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <vector>

#include "tools/orvex-render/render_options.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orvex;
  FuzzedDataProvider in(data, size);
  std::vector<std::string> words;
  while (in.remaining_bytes() > 0 && words.size() < 24) {
    words.push_back(in.ConsumeRandomLengthString(80));
  }
  std::vector<const char*> argv{"orvex-render"};
  for (const std::string& w : words) argv.push_back(w.c_str());

  render_tool::RenderOptions options;
  std::string error;
  const render_tool::RenderAction action =
      render_tool::parseRenderOptions(static_cast<int>(argv.size()), argv.data(), &options, &error);
  if (action == render_tool::RenderAction::kError) {
    if (error.empty() || error.find('\n') != std::string::npos) std::abort();
    return 0;
  }
  if (action == render_tool::RenderAction::kRun) {
    if (options.size < 1 || options.size > config::kMaxWidth) std::abort();
    for (int frame = 1; frame <= options.frames && frame <= 3; ++frame) {
      render_tool::frameFileName(options.output, frame);
    }
  }
  return 0;
}
