// The HTTP/1.1 request parser of the embedded server: Beast's parser with the
// server's limits, filling a THTTPRequest directly (method, target, headers)
// and handing body bytes to a sink. Kept apart from the server so that the
// fuzz target runs the very parser the server uses.
#pragma once

#include <boost/beast/http/basic_parser.hpp>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "host/http.h"

namespace zq {

struct TRequestLimits {
  size_t MaxRequestLine = 16 * 1024;  // method, target and version
  size_t MaxHeaderCount = 100;
  size_t MaxHeaderBytes = 64 * 1024;  // request line and all header lines
  uint64_t MaxBodyBytes = UINT64_MAX;
};

class TRequestParser : public boost::beast::http::basic_parser<true> {
 public:
  using error_code = boost::beast::error_code;
  // Takes body bytes; returns how many it took. Fewer pause the parser: put()
  // returns at once (with need_more) and the rest is offered again by the
  // next put().
  using TBodySink = std::function<size_t(std::string_view)>;

  TRequestParser(THTTPRequest& request, const TRequestLimits& limits);

  void SetBodySink(TBodySink sink) { sink_ = std::move(sink); }
  // The method as sent ("HEAD" included; the request gets "GET" for it).
  const std::string& Method() const { return method_; }
  bool ExpectsContinue() const { return expectContinue_; }
  int Version() const { return version_; }  // 10 or 11
  // The status to answer a request that failed to parse with `ec`: 414 for a
  // request line over its limit, 431 for too many or too large header
  // fields, 413 for a body over its limit, 400 for anything else.
  int FailureStatus(const error_code& ec) const;

 protected:
  void on_request_impl(boost::beast::http::verb method, boost::beast::string_view methodText,
                       boost::beast::string_view target, int version, error_code& ec) override;
  void on_response_impl(int, boost::beast::string_view, int, error_code& ec) override;
  void on_field_impl(boost::beast::http::field name, boost::beast::string_view nameText,
                     boost::beast::string_view value, error_code& ec) override;
  void on_header_impl(error_code& ec) override;
  void on_body_init_impl(const boost::optional<std::uint64_t>& length, error_code& ec) override;
  std::size_t on_body_impl(boost::beast::string_view body, error_code& ec) override;
  void on_chunk_header_impl(std::uint64_t size, boost::beast::string_view extensions,
                            error_code& ec) override;
  std::size_t on_chunk_body_impl(std::uint64_t remain, boost::beast::string_view body,
                                 error_code& ec) override;
  void on_finish_impl(error_code& ec) override;

 private:
  enum class Failure { None, RequestLine, Headers };
  std::size_t Sink(boost::beast::string_view body, error_code& ec);
  THTTPRequest& request_;
  TRequestLimits limits_;
  TBodySink sink_;
  std::string method_;
  size_t fields_ = 0;
  int version_ = 11;
  bool expectContinue_ = false;
  Failure failure_ = Failure::None;
};

}  // namespace zq
