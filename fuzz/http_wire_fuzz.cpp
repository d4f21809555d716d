// The embedded server's request parser (Beast's parser with the server's
// limits) on arbitrary bytes as they come off a socket, fed in pieces of
// varying size; then the parsed request through THTTPRequest::Parse.
// Input: a selector byte (piece size), then the raw bytes.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "host/http.h"
#include "host/server/requestparser.h"

using namespace zq;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const size_t piece = 1 + data[0] % 64;
  std::string_view in(reinterpret_cast<const char*>(data + 1), size - 1);
  THTTPRequest req;
  TRequestLimits limits;
  limits.MaxRequestLine = 256;
  limits.MaxHeaderCount = 16;
  limits.MaxHeaderBytes = 1024;
  TRequestParser parser(req, limits);
  parser.eager(true);
  parser.body_limit(4096);
  std::string body;
  parser.SetBodySink([&](std::string_view b) {
    body.append(b);
    return b.size();
  });
  std::string buffer;
  boost::beast::error_code ec;
  size_t pos = 0;
  while (!parser.is_done()) {
    if (pos < in.size()) {
      buffer.append(in.substr(pos, piece));
      pos += piece;
    } else if (parser.need_eof() || buffer.empty()) {
      break;
    }
    const size_t used = parser.put(boost::asio::buffer(buffer), ec);
    buffer.erase(0, used);
    if (ec == boost::beast::http::error::need_more) {
      ec = {};
      if (pos >= in.size()) break;
      continue;
    }
    if (ec) {
      const int status = parser.FailureStatus(ec);
      if (status != 400 && status != 413 && status != 414 && status != 431) abort();
      return 0;
    }
  }
  // The limits held, and no header value keeps a line break.
  if (req.Headers().Count() > limits.MaxHeaderCount || req.URL.size() > limits.MaxRequestLine)
    abort();
  if (body.size() > 4096) abort();
  for (const auto& [name, value] : req.Headers().Items())
    if (value.find_first_of("\r\n") != std::string::npos) abort();
  req.Content = body;
  req.Parse(50);
  return 0;
}
