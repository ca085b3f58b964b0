// The configuration file's text and a command line, applied as the viewer applies them
// at start-up. Any value must be taken or refused with one line, never trapped on.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <sstream>
#include <vector>

#include "config/settings.h"

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

  config::Settings settings;
  std::string error;
  if (!config::readConfig(config, "orvex.cfg", &settings, &error)) {
    if (error.empty() || error.find('\n') != std::string::npos) std::abort();
  }
  config::applyCommandLine(static_cast<int>(argv.size()), argv.data(), &settings);
  config::checkSettings(settings, &error);
  config::drawSettingsOf(settings);
  config::sceneSettingsOf(settings);
  return 0;
}
