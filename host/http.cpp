#include "host/http.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <functional>
#include <mutex>

#include "foundation/asciicase.h"
#include "foundation/format.h"

namespace zq {

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

}  // namespace

std::string HeaderParam(std::string_view header, std::string_view name) {
  size_t pos = 0;
  while ((pos = header.find(';', pos)) != std::string_view::npos) {
    ++pos;
    std::string_view rest = Trim(header.substr(pos));
    if (rest.size() > name.size() && SameTextAscii(rest.substr(0, name.size()), name) &&
        rest[name.size()] == '=') {
      std::string_view v = rest.substr(name.size() + 1);
      if (!v.empty() && v.front() == '"') {
        v.remove_prefix(1);
        size_t q = v.find('"');
        return std::string(v.substr(0, q));
      }
      size_t e = v.find(';');
      return std::string(Trim(v.substr(0, e)));
    }
  }
  return {};
}

std::string HTTPEncode(std::string_view text) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (unsigned char c : text) {
    if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~') {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back('%');
      out.push_back(hex[c >> 4]);
      out.push_back(hex[c & 15]);
    }
  }
  return out;
}

namespace {

// The first position at or after `from` of either byte. (find_first_of with
// a set calls memchr once per character of the text: this is on the path of
// every header and every field.)
size_t FindEither(std::string_view text, char a, char b, size_t from = 0) {
  for (size_t i = from; i < text.size(); ++i)
    if (text[i] == a || text[i] == b) return i;
  return std::string_view::npos;
}

}  // namespace

std::string HTTPDecode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    // The plain run up to the next escape is copied whole.
    const size_t next = std::min(FindEither(text, '%', '+', i), text.size());
    out.append(text.data() + i, next - i);
    i = next;
    if (i == text.size()) break;
    char c = text[i];
    if (c == '+') {
      out.push_back(' ');
    } else if (i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
      out.push_back(static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2])));
      i += 2;
    } else {
      out.push_back(c);
    }
  }
  return out;
}

std::string IncludeURLPathDelimiter(std::string_view url) {
  std::string r(url);
  if (r.empty() || r.back() != '/') r.push_back('/');
  return r;
}

std::string StripCRLF(std::string_view text) {
  if (FindEither(text, '\r', '\n') == std::string_view::npos) return std::string(text);
  std::string r;
  r.reserve(text.size());
  for (char c : text)
    if (c != '\r' && c != '\n') r.push_back(c);
  return r;
}

std::string JSString(std::string_view s) {
  std::string r = "\"";
  for (char c : s) {
    switch (c) {
      case '"':
        r += "\\\"";
        break;
      case '\\':
        r += "\\\\";
        break;
      case '\n':
        r += "\\n";
        break;
      case '\r':
        r += "\\r";
        break;
      case '\t':
        r += "\\t";
        break;
      case '<':
        r += "\\x3C";
        break;
      case '>':
        r += "\\x3E";
        break;
      case '&':
        r += "\\x26";
        break;
      case '\'':
        r += "\\x27";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20)
          r += Format("\\x%0.2x", static_cast<unsigned>(c));
        else
          r.push_back(c);
    }
  }
  return r + "\"";
}

std::string HTTPDate(std::chrono::system_clock::time_point when) {
  std::time_t t = std::chrono::system_clock::to_time_t(when);
  std::tm tm{};
  gmtime_r(&t, &tm);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%s, %02d %s %04d %02d:%02d:%02d GMT", kDays[tm.tm_wday],
                tm.tm_mday, kMonths[tm.tm_mon], tm.tm_year + 1900, tm.tm_hour, tm.tm_min,
                tm.tm_sec);
  return buf;
}

std::optional<std::chrono::system_clock::time_point> ParseHTTPDate(std::string_view text) {
  std::tm tm{};
  char mon[4] = {0};
  char day[4] = {0};
  std::string s(text);
  if (std::sscanf(s.c_str(), "%3s, %d %3s %d %d:%d:%d GMT", day, &tm.tm_mday, mon, &tm.tm_year,
                  &tm.tm_hour, &tm.tm_min, &tm.tm_sec) != 7)
    return std::nullopt;
  int m = -1;
  for (int i = 0; i < 12; ++i)
    if (std::string_view(mon) == kMonths[i]) m = i;
  if (m < 0) return std::nullopt;
  tm.tm_mon = m;
  tm.tm_year -= 1900;
  std::time_t t = timegm(&tm);
  if (t == static_cast<std::time_t>(-1)) return std::nullopt;
  return std::chrono::system_clock::from_time_t(t);
}

// ---------------------------------------------------------------- THTTPFields

bool THTTPFields::Same(std::string_view a, std::string_view b) const {
  return caseSensitive_ ? a == b : SameTextAscii(a, b);
}

const std::string* THTTPFields::Find(std::string_view name) const {
  for (const auto& it : items_)
    if (Same(it.first, name)) return &it.second;
  return nullptr;
}

std::string THTTPFields::Get(std::string_view name) const {
  const std::string* v = Find(name);
  return v ? *v : std::string();
}

void THTTPFields::Set(std::string_view name, std::string value) {
  for (auto& it : items_)
    if (Same(it.first, name)) {
      it.second = std::move(value);
      return;
    }
  items_.emplace_back(std::string(name), std::move(value));
}

void THTTPFields::Remove(std::string_view name) {
  items_.erase(std::remove_if(items_.begin(), items_.end(),
                              [&](const Item& it) { return Same(it.first, name); }),
               items_.end());
}

std::vector<std::string> THTTPFields::AsLines() const {
  std::vector<std::string> r;
  r.reserve(items_.size());
  for (const auto& it : items_) r.push_back(it.first + "=" + it.second);
  return r;
}

bool ParseURLEncoded(std::string_view text, THTTPFields& into, size_t maxFields) {
  size_t count = 0;
  while (!text.empty()) {
    size_t amp = text.find('&');
    std::string_view part = text.substr(0, amp);
    text = amp == std::string_view::npos ? std::string_view() : text.substr(amp + 1);
    if (part.empty()) continue;
    if (++count > maxFields) return false;
    size_t eq = part.find('=');
    if (eq == std::string_view::npos)
      into.Add(HTTPDecode(part), std::string());
    else
      into.Add(HTTPDecode(part.substr(0, eq)), HTTPDecode(part.substr(eq + 1)));
  }
  return true;
}

// ---------------------------------------------------------------- body sources

size_t THTTPBodySource::Read(char* buffer, size_t size) {
  if (end_ || size == 0) return 0;
  if (read_ == 0) {
    std::optional<uint64_t> declared = Length();
    if (declared && *declared > limit_) throw EHTTPBodyError(413, "Request body too large");
  }
  // One byte past the limit is asked for, so that a body that is too long is
  // noticed without handing any of the excess out.
  const uint64_t room = limit_ - read_;
  const size_t ask = room >= size ? size : static_cast<size_t>(room + 1);
  const size_t n = ReadSome(buffer, ask);
  if (n == 0) {
    end_ = true;
    return 0;
  }
  if (n > room) throw EHTTPBodyError(413, "Request body too large");
  read_ += n;
  return n;
}

void THTTPBodySource::Skip() {
  char buf[16384];
  while (Read(buf, sizeof buf) > 0) {
  }
}

size_t TStringBodySource::ReadSome(char* buffer, size_t size) {
  const size_t n = std::min(size, data_.size() - pos_);
  std::memcpy(buffer, data_.data() + pos_, n);
  pos_ += n;
  return n;
}

namespace {

// The parts of a multipart body, read from a source through one buffer. Each
// byte is looked at a bounded number of times: the delimiter is searched only
// in bytes not yet searched, plus the delimiter's length of overlap.
class MultipartScanner {
 public:
  MultipartScanner(THTTPBodySource& body, std::string_view boundary)
      : body_(body), delim_("\r\n--" + std::string(boundary)) {}

  // Reads until `text` is at the start of the buffer's unread part; false at the end of the body.
  bool Expect(std::string_view text) {
    while (buf_.size() - pos_ < text.size())
      if (!Fill()) return false;
    if (std::string_view(buf_).substr(pos_, text.size()) != text) return false;
    pos_ += text.size();
    return true;
  }
  // Reads a part's header block up to and including the blank line.
  bool Headers(std::string& out, size_t max) {
    size_t scanned = 0;  // bytes after pos_ known to hold no blank line
    for (;;) {
      size_t e = buf_.find("\r\n\r\n", pos_ + scanned);
      if (e != std::string::npos) {
        out.assign(buf_, pos_, e + 2 - pos_);
        pos_ = e + 4;
        return true;
      }
      const size_t have = buf_.size() - pos_;
      if (have > max) return false;
      scanned = have >= 3 ? have - 3 : 0;
      if (!Fill()) return false;
    }
  }
  // Hands the content up to the next delimiter to `data`; the delimiter itself is consumed.
  bool Content(const std::function<bool(std::string_view)>& data) {
    for (;;) {
      size_t e = std::string_view(buf_).find(delim_, searched_ > pos_ ? searched_ : pos_);
      if (e != std::string::npos) {
        if (e > pos_ && !data(std::string_view(buf_).substr(pos_, e - pos_))) return false;
        pos_ = e + delim_.size();
        searched_ = 0;
        return true;
      }
      // Everything but a possible start of the delimiter is content.
      const size_t keep = std::min(buf_.size() - pos_, delim_.size() - 1);
      const size_t safe = buf_.size() - keep;
      if (safe > pos_ && !data(std::string_view(buf_).substr(pos_, safe - pos_))) return false;
      pos_ = safe;
      searched_ = pos_;
      if (!Fill()) return false;
    }
  }

 private:
  bool Fill() {
    if (pos_ > 0) {
      buf_.erase(0, pos_);
      searched_ = searched_ > pos_ ? searched_ - pos_ : 0;
      pos_ = 0;
    }
    char chunk[16384];
    const size_t n = body_.Read(chunk, sizeof chunk);
    if (n == 0) return false;
    buf_.append(chunk, n);
    return true;
  }

  THTTPBodySource& body_;
  std::string delim_;
  std::string buf_;
  size_t pos_ = 0, searched_ = 0;
};

}  // namespace

bool ParseMultipartStream(THTTPBodySource& body, std::string_view boundary, TMultipartSink& sink,
                          size_t maxParts) {
  if (boundary.empty() || boundary.size() > 200) return false;
  MultipartScanner scan(body, boundary);
  // The preamble, if any, ends at the first delimiter; a body may also start
  // with it directly (no CRLF before it).
  if (!scan.Expect("--" + std::string(boundary)) &&
      !scan.Content([](std::string_view) { return true; }))
    return false;
  size_t count = 0;
  for (;;) {
    if (scan.Expect("--")) return true;  // closing delimiter
    if (!scan.Expect("\r\n")) return false;
    std::string head;
    if (!scan.Headers(head, 16 * 1024)) return false;
    TMultipartSink::TPart part;
    std::string disposition;
    std::string_view rest = head;
    while (!rest.empty()) {
      size_t e = rest.find("\r\n");
      std::string_view line = rest.substr(0, e);
      rest = e == std::string_view::npos ? std::string_view() : rest.substr(e + 2);
      size_t colon = line.find(':');
      if (colon == std::string_view::npos) continue;
      std::string name = LowerAscii(Trim(line.substr(0, colon)));
      if (name == "content-disposition") disposition = std::string(Trim(line.substr(colon + 1)));
      if (name == "content-type") part.ContentType = std::string(Trim(line.substr(colon + 1)));
    }
    if (++count > maxParts) return false;
    part.FieldName = HeaderParam(disposition, "name");
    part.IsFile = disposition.find("filename=") != std::string::npos;
    if (part.IsFile) part.FileName = HeaderParam(disposition, "filename");
    if (!sink.Begin(part)) return false;
    if (!scan.Content([&](std::string_view chunk) { return sink.Data(chunk); })) return false;
    if (!sink.End()) return false;
  }
}

namespace {
// Collects the parts in memory: text parts as fields, file parts as files.
class CollectingSink : public TMultipartSink {
 public:
  CollectingSink(THTTPFields& fields, std::vector<THTTPFile>& files)
      : fields_(fields), files_(files) {}
  bool Begin(const TPart& part) override {
    part_ = part;
    data_.clear();
    return true;
  }
  bool Data(std::string_view chunk) override {
    data_ += chunk;
    return true;
  }
  bool End() override {
    if (part_.IsFile)
      files_.push_back({part_.FieldName, part_.FileName, part_.ContentType, std::move(data_)});
    else
      fields_.Add(part_.FieldName, std::move(data_));
    data_.clear();
    return true;
  }

 private:
  THTTPFields& fields_;
  std::vector<THTTPFile>& files_;
  TPart part_;
  std::string data_;
};
}  // namespace

bool ParseMultipart(std::string_view body, std::string_view boundary, THTTPFields& fields,
                    std::vector<THTTPFile>& files, size_t maxFields) {
  TStringBodySource source{std::string(body)};
  CollectingSink sink(fields, files);
  return ParseMultipartStream(source, boundary, sink, maxFields);
}

// ---------------------------------------------------------------- THTTPCookie

THTTPCookie::THTTPCookie(std::string name, std::string value, std::string path,
                         std::optional<std::chrono::system_clock::time_point> expires)
    : Name(std::move(name)), Value(std::move(value)), Path(std::move(path)), Expires(expires) {}

namespace {
std::string CookieToken(std::string_view s) {
  std::string r;
  for (char c : StripCRLF(s)) {
    if (c == ';')
      r += "%3B";
    else if (c == ',')
      r += "%2C";
    else
      r.push_back(c);
  }
  return r;
}
}  // namespace

std::string THTTPCookie::HeaderValue() const {
  std::string r = CookieToken(Name) + "=" + CookieToken(Value);
  if (!Path.empty()) r += "; Path=" + CookieToken(Path);
  if (!Domain.empty()) r += "; Domain=" + CookieToken(Domain);
  if (Expires) r += "; Expires=" + HTTPDate(*Expires);
  if (HttpOnly) r += "; HttpOnly";
  if (Secure) r += "; Secure";
  if (!SameSite.empty()) r += "; SameSite=" + CookieToken(SameSite);
  return r;
}

// ---------------------------------------------------------------- THTTPRequest

THTTPRequest::THTTPRequest() = default;

void THTTPRequest::SetHeader(std::string name, std::string value) {
  headers_.Set(StripCRLF(name), StripCRLF(value));
}

std::string THTTPRequest::GetField(std::string_view name) const {
  if (const std::string* v = contentFields_.Find(name)) return *v;
  return queryFields_.Get(name);
}

THTTPBodySource& THTTPRequest::BodySource() {
  if (!bodySource_) bodySource_ = std::make_unique<TStringBodySource>(Content);
  return *bodySource_;
}

void THTTPRequest::ReadContent(uint64_t limit) {
  if (!BodyPending()) return;
  bodySource_->SetLimit(std::min(limit, bodySource_->Limit()));
  std::string data;
  if (std::optional<uint64_t> n = bodySource_->Length(); n && *n <= limit)
    data.reserve(static_cast<size_t>(*n));
  char buf[16384];
  while (size_t n = bodySource_->Read(buf, sizeof buf)) data.append(buf, n);
  Content = std::move(data);
}

bool THTTPRequest::Parse(size_t maxFields, std::string* error, bool parseBody) {
  auto fail = [&](const char* why) {
    if (error) *error = why;
    return false;
  };
  parsed_ = true;
  size_t q = URL.find('?');
  path_ = URL.substr(0, q);
  query_ = q == std::string::npos ? std::string() : URL.substr(q + 1);
  size_t hash = query_.find('#');
  if (hash != std::string::npos) query_.resize(hash);
  // Percent-decode the path; "+" stays a literal there.
  {
    std::string raw = URL.substr(0, q);
    std::string p;
    for (size_t i = 0; i < raw.size(); ++i) {
      if (raw[i] == '%' && i + 2 < raw.size() && HexValue(raw[i + 1]) >= 0 &&
          HexValue(raw[i + 2]) >= 0) {
        p.push_back(static_cast<char>(HexValue(raw[i + 1]) * 16 + HexValue(raw[i + 2])));
        i += 2;
      } else {
        p.push_back(raw[i]);
      }
    }
    path_ = p;
  }
  if (path_.empty()) path_ = "/";
  contentType_ = headers_.Get("Content-Type");
  userAgent_ = headers_.Get("User-Agent");
  if (Host.empty()) Host = headers_.Get("Host");
  queryFields_.Clear();
  if (parseBody) {
    contentFields_.Clear();
    files_.clear();
  }
  cookies_.Clear();
  if (!ParseURLEncoded(query_, queryFields_, maxFields)) return fail("Too many query fields");
  // Cookies: "a=1; b=2".
  std::string cookieHeader = headers_.Get("Cookie");
  std::string_view rest = cookieHeader;
  while (!rest.empty()) {
    size_t semi = rest.find(';');
    std::string_view part = Trim(rest.substr(0, semi));
    rest = semi == std::string_view::npos ? std::string_view() : rest.substr(semi + 1);
    size_t eq = part.find('=');
    if (part.empty() || eq == std::string_view::npos) continue;
    cookies_.Add(std::string(Trim(part.substr(0, eq))), std::string(Trim(part.substr(eq + 1))));
  }
  // A pending body is left to whoever streams it (see BodySource).
  if (!parseBody || BodyPending()) return true;
  std::string type = LowerAscii(contentType_.substr(0, contentType_.find(';')));
  type = std::string(Trim(type));
  if (type == "application/x-www-form-urlencoded") {
    if (!ParseURLEncoded(Content, contentFields_, maxFields)) return fail("Too many form fields");
  } else if (type == "multipart/form-data") {
    if (!ParseMultipart(Content, HeaderParam(contentType_, "boundary"), contentFields_, files_,
                        maxFields))
      return fail("Malformed multipart body");
  }
  return true;
}

// ---------------------------------------------------------------- THTTPReply

void THTTPReply::SetCode(int code, std::string_view text) {
  code_ = code;
  codeText_ = text.empty() ? StatusText(code) : StripCRLF(text);
}

void THTTPReply::SetHeader(std::string_view name, std::string_view value) {
  headers_.Set(StripCRLF(name), StripCRLF(value));
}

void THTTPReply::AddHeader(std::string_view name, std::string_view value) {
  headers_.Add(StripCRLF(name), StripCRLF(value));
}

std::string THTTPReply::GetHeader(std::string_view name) const {
  if (SameTextAscii(name, "Content-Type")) return contentType_;
  return headers_.Get(name);
}

void THTTPReply::ResetReplyType() {
  code_ = 200;
  codeText_ = "OK";
  contentType_.clear();
  headers_.Clear();
  body_.clear();
  stream_.reset();
  streamLength_.reset();
}

void THTTPReply::SendStream(std::unique_ptr<THTTPReplyStream> stream,
                            std::optional<uint64_t> length) {
  body_.clear();
  stream_ = std::move(stream);
  streamLength_ = stream_ ? length : std::nullopt;
}

void THTTPReply::SendFile(const std::string& path, uint64_t offset,
                          std::optional<uint64_t> length) {
  auto file = std::make_unique<TFileReplyStream>(path, offset, length);
  const uint64_t n = file->Length();
  SendStream(std::move(file), n);
}

std::unique_ptr<THTTPReplyStream> THTTPReply::TakeStream() {
  streamLength_.reset();
  return std::move(stream_);
}

void THTTPReply::DrainStream() {
  if (!stream_) return;
  std::unique_ptr<THTTPReplyStream> s = TakeStream();
  std::string data;
  char buf[16384];
  while (size_t n = s->Read(buf, sizeof buf)) data.append(buf, n);
  body_ = std::move(data);
}

// ---------------------------------------------------------------- TFileReplyStream

TFileReplyStream::TFileReplyStream(const std::string& path, uint64_t offset,
                                   std::optional<uint64_t> length) {
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat st {};
  if (fd_ < 0 || ::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    throw Exception("Cannot open \"" + path + "\"");
  }
  fileSize_ = static_cast<uint64_t>(st.st_size);
  offset_ = std::min(offset, fileSize_);
  length_ = std::min(length.value_or(UINT64_MAX), fileSize_ - offset_);
}

TFileReplyStream::~TFileReplyStream() {
  if (fd_ >= 0) ::close(fd_);
}

size_t TFileReplyStream::Read(char* buffer, size_t size) {
  const uint64_t left = length_ - sent_;
  if (left == 0) return 0;
  const size_t want = static_cast<size_t>(std::min<uint64_t>(size, left));
  ssize_t n;
  do {
    n = ::pread(fd_, buffer, want, static_cast<off_t>(offset_ + sent_));
  } while (n < 0 && errno == EINTR);
  if (n < 0) throw Exception(std::string("Cannot read a file: ") + std::strerror(errno));
  if (n == 0) throw Exception("The file became shorter while it was sent");
  sent_ += static_cast<uint64_t>(n);
  return static_cast<size_t>(n);
}

std::vector<std::pair<std::string, std::string>> THTTPReply::AllHeaders() const {
  std::vector<std::pair<std::string, std::string>> r;
  if (!contentType_.empty()) r.emplace_back("Content-Type", contentType_);
  for (const auto& h : headers_.Items()) r.push_back(h);
  for (const auto& c : cookies_) r.emplace_back("Set-Cookie", c.HeaderValue());
  return r;
}

std::string THTTPReply::StatusText(int code) {
  switch (code) {
    case 200:
      return "OK";
    case 204:
      return "No Content";
    case 301:
      return "Moved Permanently";
    case 302:
      return "Found";
    case 304:
      return "Not Modified";
    case 400:
      return "Bad Request";
    case 403:
      return "Forbidden";
    case 404:
      return "Not Found";
    case 405:
      return "Method Not Allowed";
    case 410:
      return "Gone";
    case 206:
      return "Partial Content";
    case 408:
      return "Request Timeout";
    case 413:
      return "Payload Too Large";
    case 414:
      return "URI Too Long";
    case 416:
      return "Range Not Satisfiable";
    case 431:
      return "Request Header Fields Too Large";
    case 500:
      return "Internal Server Error";
    case 503:
      return "Service Unavailable";
    default:
      return "Status " + std::to_string(code);
  }
}

// ---------------------------------------------------------------- content parsers

namespace {

struct TContentParsers {
  std::mutex Lock;
  std::atomic<int> Count{0};  // a request is not slowed down while there are none
  int NextId = 1;
  std::vector<std::pair<int, TContentParserClaim>> Items;
};

TContentParsers& ContentParsers() {
  static TContentParsers* p = new TContentParsers;  // asked up to process exit
  return *p;
}

}  // namespace

int RegisterContentParser(TContentParserClaim AClaim) {
  TContentParsers& p = ContentParsers();
  std::lock_guard<std::mutex> g(p.Lock);
  const int id = p.NextId++;
  p.Items.emplace_back(id, std::move(AClaim));
  p.Count.store(static_cast<int>(p.Items.size()));
  return id;
}

void UnregisterContentParser(int AId) {
  TContentParsers& p = ContentParsers();
  std::lock_guard<std::mutex> g(p.Lock);
  std::erase_if(p.Items, [AId](const auto& AItem) { return AItem.first == AId; });
  p.Count.store(static_cast<int>(p.Items.size()));
}

bool ContentParserClaims(const THTTPRequest& ARequest) {
  TContentParsers& p = ContentParsers();
  if (p.Count.load() == 0) return false;
  std::lock_guard<std::mutex> g(p.Lock);
  for (const auto& [id, claim] : p.Items)
    if (claim(ARequest)) return true;
  return false;
}

}  // namespace zq
