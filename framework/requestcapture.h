// The request capture: while the library runs, every per-request object the
// stand-alone server builds (TIWHTTPRequestInfo) is stored in the thread's
// request-info variable, so CurrentHTTPRequestInfo() gives the request being
// served on this thread, and nothing once its object is freed. Installed and
// removed by the library start-up and shutdown (framework/startup.h), through
// the class events of the per-request class.
#pragma once

namespace zq {

class TZQHTTPApp {
 public:
  static void Install();
  static void Remove();
  static bool Installed();
};

}  // namespace zq
