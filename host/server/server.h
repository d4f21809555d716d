// Embedded HTTP server in front of the host: accepts connections (keep-alive,
// a pool of worker threads), enforces the request and upload size limits,
// turns each request into a THTTPRequest, hands it to the handler (normally
// TIWServerController::HandleRequest) and writes the THTTPReply back.
//
// The server listens on 127.0.0.1 unless told otherwise. The HTTP library
// stays inside server.cpp; this header is light.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "foundation/exception.h"

namespace zq {

class THTTPRequest;
class THTTPReply;

struct TServerOptions {
  std::string BindAddress = "127.0.0.1";
  int Port = 8080;                          // 0: any free port (see TZQHTTPServer::Port)
  int Workers = 8;                          // worker threads (each serves one connection at a time)
  size_t MaxRequestBytes = 1024 * 1024;     // body of pages, callbacks and other posts
  size_t MaxUploadBytes = 64 * 1024 * 1024; // body of multipart and octet-stream uploads
  size_t MaxFields = 2000;                  // form plus query fields per request
  int KeepAliveMaxCount = 1000;             // requests per connection
  int KeepAliveTimeoutSeconds = 5;          // idle time of a kept-alive connection
  int ReadTimeoutSeconds = 30;
  int WriteTimeoutSeconds = 30;
  std::string ScriptName;                   // passed on as THTTPRequest::ScriptName
};

// Thrown when the server cannot listen on the address and port asked for.
class EServerError : public Exception {
  using Exception::Exception;
};

class TZQHTTPServer {
 public:
  using Handler = std::function<void(THTTPRequest&, THTTPReply&)>;

  TZQHTTPServer(Handler handler, TServerOptions options = {});
  ~TZQHTTPServer();  // stops the server
  TZQHTTPServer(const TZQHTTPServer&) = delete;
  TZQHTTPServer& operator=(const TZQHTTPServer&) = delete;

  // Binds and starts serving on a background thread; returns the bound port.
  // Throws EServerError when the address cannot be bound.
  int Start();
  // Stops accepting, lets requests under way finish, joins the threads.
  // Safe to call more than once and from any thread but a worker.
  void Stop();
  // Blocks until Stop() has been called (from a signal handler's thread or another one).
  void Wait();
  bool Running() const;
  int Port() const;
  const TServerOptions& Options() const;

  // Counters since Start(): requests handed to the handler, requests refused
  // by the server itself (size limits, malformed bodies), handler exceptions.
  uint64_t RequestsServed() const;
  uint64_t RequestsRefused() const;
  uint64_t HandlerErrors() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace zq
