#include "host/server/requestparser.h"

#include <boost/beast/http/error.hpp>

#include "foundation/asciicase.h"

namespace zq {

namespace http = boost::beast::http;

TRequestParser::TRequestParser(THTTPRequest& request, const TRequestLimits& limits)
    : request_(request), limits_(limits) {
  header_limit(static_cast<std::uint32_t>(std::min<size_t>(limits.MaxHeaderBytes, UINT32_MAX)));
  body_limit(limits.MaxBodyBytes);
}

int TRequestParser::FailureStatus(const error_code& ec) const {
  if (failure_ == Failure::RequestLine) return 414;
  if (failure_ == Failure::Headers || ec == http::error::header_limit) return 431;
  if (ec == http::error::body_limit) return 413;
  return 400;
}

void TRequestParser::on_request_impl(http::verb, boost::beast::string_view methodText,
                                     boost::beast::string_view target, int version,
                                     error_code& ec) {
  if (methodText.size() + target.size() + 10 > limits_.MaxRequestLine) {
    failure_ = Failure::RequestLine;
    ec = http::error::bad_target;
    return;
  }
  if (version != 10 && version != 11) {
    ec = http::error::bad_version;
    return;
  }
  version_ = version;
  method_.assign(methodText.data(), methodText.size());
  request_.Method = method_ == "HEAD" ? "GET" : method_;
  request_.URL.assign(target.data(), target.size());
}

void TRequestParser::on_response_impl(int, boost::beast::string_view, int, error_code& ec) {
  ec = http::error::bad_method;  // never a response
}

void TRequestParser::on_field_impl(http::field name, boost::beast::string_view nameText,
                                   boost::beast::string_view value, error_code& ec) {
  if (++fields_ > limits_.MaxHeaderCount) {
    failure_ = Failure::Headers;
    ec = http::error::header_limit;
    return;
  }
  std::string v = StripCRLF(std::string_view(value.data(), value.size()));
  if (name == http::field::host && request_.Host.empty()) request_.Host = v;
  if (name == http::field::expect && SameTextAscii(v, "100-continue")) expectContinue_ = true;
  request_.Headers().Add(std::string(nameText.data(), nameText.size()), std::move(v));
}

void TRequestParser::on_header_impl(error_code&) {}

void TRequestParser::on_body_init_impl(const boost::optional<std::uint64_t>&, error_code&) {}

std::size_t TRequestParser::on_body_impl(boost::beast::string_view body, error_code& ec) {
  return Sink(body, ec);
}

void TRequestParser::on_chunk_header_impl(std::uint64_t, boost::beast::string_view, error_code&) {}

std::size_t TRequestParser::on_chunk_body_impl(std::uint64_t, boost::beast::string_view body,
                                               error_code& ec) {
  return Sink(body, ec);
}

// An eager parser offers the bytes it was not given room for again and again
// within the same put(): a sink that takes fewer ends the put() with
// need_more instead, and the rest waits for the next one.
std::size_t TRequestParser::Sink(boost::beast::string_view body, error_code& ec) {
  if (!sink_) return body.size();
  const size_t n = sink_(std::string_view(body.data(), body.size()));
  if (n < body.size()) ec = http::error::need_more;
  return n;
}

void TRequestParser::on_finish_impl(error_code&) {}

}  // namespace zq
