// The configuration file's text and a command line, applied as the viewer applies them
// at start-up. Any value must be taken or refused with one line, never trapped on.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <sstream>
#include <vector>

#include "app/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orvex;
  FuzzedDataProvider in(data, size);
  std::istringstream config(in.ConsumeRandomLengthString(size));
  std::vector<std::string> words;
  while (in.remaining_bytes() > 0 && words.size() < 16) {
    words.push_back(in.ConsumeRandomLengthString(64));
  }
  std::vector<const char*> argv{"orvex"};
  for (const std::string& w : words) argv.push_back(w.c_str());

  app::Settings settings;
  std::string error;
  if (!app::readConfig(config, "orvex.cfg", &settings, &error)) {
    if (error.empty() || error.find('\n') != std::string::npos) std::abort();
  }
  app::applyCommandLine(static_cast<int>(argv.size()), argv.data(), &settings);
  app::checkSettings(settings, &error);
  app::drawSettingsOf(settings);
  app::sceneSettingsOf(settings);
  return 0;
}
