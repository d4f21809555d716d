// Request parsing (URL, cookies, url-encoded and multipart bodies), the
// percent codec and the CDATA writer on arbitrary input.
// Input: a selector byte, then "URL\nCookie header\nbody".
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "host/callback.h"
#include "host/http.h"

using namespace zq;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  std::string_view in(reinterpret_cast<const char*>(data + 1), size - 1);
  size_t a = in.find('\n');
  size_t b = a == std::string_view::npos ? a : in.find('\n', a + 1);
  THTTPRequest req;
  req.Method = (data[0] & 1) ? "POST" : "GET";
  req.URL = std::string(in.substr(0, a));
  if (a != std::string_view::npos) req.SetHeader("Cookie", std::string(in.substr(a + 1, b == std::string_view::npos ? b : b - a - 1)));
  if (b != std::string_view::npos) req.Content = std::string(in.substr(b + 1));
  req.SetHeader("Content-Type", (data[0] & 2) ? "multipart/form-data; boundary=B" : "application/x-www-form-urlencoded");
  const size_t maxFields = 50;
  if (req.Parse(maxFields)) {
    if (req.QueryFields().Count() > maxFields || req.ContentFields().Count() + req.Files().size() > maxFields) abort();
  }
  // The codec round-trips any bytes.
  if (HTTPDecode(HTTPEncode(req.Content)) != req.Content) abort();
  // A CDATA section holds the text exactly once the pieces are joined.
  std::string cdata = CDataSection(req.Content);
  std::string joined;
  size_t pos = 0;
  while ((pos = cdata.find("<![CDATA[", pos)) != std::string::npos) {
    size_t end = cdata.find("]]>", pos + 9);
    if (end == std::string::npos) abort();
    joined += cdata.substr(pos + 9, end - pos - 9);
    pos = end + 3;
  }
  if (joined != req.Content) abort();
  // No header value keeps a line break.
  THTTPReply reply;
  reply.SetHeader("X", req.Content);
  reply.Cookies().emplace_back("n", req.Content);
  for (const auto& h : reply.AllHeaders())
    if (h.second.find_first_of("\r\n") != std::string::npos) abort();
  return 0;
}
