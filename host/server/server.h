// Embedded HTTP server in front of the host, event-driven on Boost.Asio with
// Beast's HTTP/1.1 parser. Connections are served by a few I/O threads that
// never block: an idle or slow connection costs a socket and a little memory,
// no thread. A complete request head (and a small body) goes to a separate
// pool of handler threads, where the handler (normally
// TIWServerController::HandleRequest) may wait for a session lock; the worker
// sends the reply while the socket takes it, the I/O side the rest. Large
// upload bodies are streamed to the handler (THTTPRequest::BodySource),
// streamed replies are sent chunk by chunk as the client takes them.
//
// Every phase has its own time-out (header read, body read, idle keep-alive,
// write), the request line, header count and header size have limits (414,
// 431), bodies too (413, refused while they stream), and the number of open
// connections is capped, in all and optionally per client address.
//
// The server listens on 127.0.0.1 unless told otherwise. The libraries stay
// inside server.cpp; this header is light.
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
  int Port = 8080;                       // 0: any free port (see TZQHTTPServer::Port)
  int Workers = 8;                       // handler threads (requests handled at once)
  int IOThreads = 1;                     // threads that run the connections
  size_t MaxRequestBytes = 1024 * 1024;  // body of pages, callbacks and other posts
  // Body of multipart uploads and of bodies a content parser claims (see
  // RegisterContentParser in host/http.h).
  size_t MaxUploadBytes = 64 * 1024 * 1024;
  // Upload bodies longer than this (or of unknown length) are not read
  // before the handler runs: it reads them from THTTPRequest::BodySource.
  size_t MaxBufferedBodyBytes = 1024 * 1024;
  size_t MaxFields = 2000;                 // form plus query fields per request
  size_t MaxRequestLineBytes = 16 * 1024;  // 414 beyond
  size_t MaxHeaderCount = 100;             // 431 beyond
  size_t MaxHeaderBytes = 64 * 1024;       // request line and header lines; 431 beyond
  size_t MaxConnections = 15000;           // open connections; more are closed at once
  size_t MaxConnectionsPerAddress = 0;     // per client address; 0: no cap
  int ListenBacklog = 4096;                // connections waiting to be accepted
  int KeepAliveMaxCount = 1000;            // requests per connection
  int KeepAliveTimeoutSeconds = 5;         // idle time of a kept-alive connection
  int HeaderTimeoutSeconds = 10;           // whole request head, from its first byte
  int ReadTimeoutSeconds = 30;             // body: longest pause between two reads
  int WriteTimeoutSeconds = 30;            // reply: longest pause between two writes
  int StopTimeoutSeconds = 30;             // Stop() waits this long for requests under way
  std::string ScriptName;                  // passed on as THTTPRequest::ScriptName
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
  // Stops accepting, closes idle connections, lets requests under way finish
  // (each answered with "Connection: close", at most StopTimeoutSeconds),
  // joins the threads.
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
  // Connections open now, and connections closed at once since Start()
  // because a connection cap was reached.
  size_t OpenConnections() const;
  uint64_t ConnectionsRefused() const;

  struct Impl;  // defined in server.cpp

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace zq
