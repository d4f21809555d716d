// The text of the demo page sources (demo/pages/*.cpp), compiled in by the
// build (demo/embedsources.cmake writes demosources.cpp), so that the
// showcase shows the code that runs.
#pragma once

#include <string_view>
#include <vector>

namespace zqdemo {

struct TDemoSource {
  std::string_view file;  // "store.cpp"
  std::string_view text;
};

// Every page source, by file name.
const std::vector<TDemoSource>& DemoSources();

}  // namespace zqdemo
