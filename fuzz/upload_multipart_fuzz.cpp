// The upload's multipart reader on arbitrary bodies, delivered in pieces of
// varying size. Input: a selector byte (piece size), then "boundary\nbody".
// It must never crash, and when the whole-body parser of the host accepts
// the body, the upload must store exactly the first part that carries the
// file (a filename parameter, or the name "qqfile"), or refuse the body when
// there is none.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "components/upload/uploadreceiver.h"
#include "foundation/jqcommon.h"
#include "host/http.h"

using namespace zq;

namespace {
class Pieces : public THTTPBodySource {
 public:
  Pieces(std::string_view data, size_t piece) : data_(data), piece_(piece) {}
  std::optional<uint64_t> Length() const override { return data_.size(); }

 protected:
  size_t ReadSome(char* buffer, size_t size) override {
    const size_t n = std::min({size, piece_, data_.size() - pos_});
    std::memcpy(buffer, data_.data() + pos_, n);
    pos_ += n;
    return n;
  }

 private:
  std::string_view data_;
  size_t piece_, pos_ = 0;
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const size_t piece = 1 + data[0] % 64;
  std::string_view in(reinterpret_cast<const char*>(data + 1), size - 1);
  const size_t nl = in.find('\n');
  if (nl == std::string_view::npos) return 0;
  const std::string boundary(in.substr(0, nl));
  const std::string_view body = in.substr(nl + 1);

  Pieces source(body, piece);
  int files = 0;
  std::string got;
  bool accepted = true;
  try {
    ZQUploadParseMultipart(
        source, boundary, "qqfile", [&](const std::string&) { ++files; },
        [&](std::string_view chunk) { got.append(chunk); });
  } catch (const EIWZQJQuery&) {
    accepted = false;
  }
  if (files > 1) abort();

  THTTPFields fields;
  std::vector<THTTPFile> parts;
  if (!ParseMultipart(body, boundary, fields, parts, SIZE_MAX)) return 0;
  // The whole-body parser sorts parts into files and fields; the first file
  // part, or else a field named "qqfile", is what the upload takes when it
  // comes first among them. Check the cases that do not depend on order.
  const std::string* qq = fields.Find("qqfile");
  if (parts.empty() && !qq) {
    if (accepted) abort();
    return 0;
  }
  if (!accepted) abort();
  if (!qq && got != parts.front().Data) abort();
  if (parts.empty() && got != *qq) abort();
  return 0;
}
