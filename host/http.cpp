#include "host/http.h"

#include <algorithm>
#include <cctype>
#include <ctime>

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

// The value of a "; name=value" parameter of a header such as Content-Type or
// Content-Disposition, unquoted.
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

const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

}  // namespace

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

std::string HTTPDecode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '+') {
      out.push_back(' ');
    } else if (c == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
               HexValue(text[i + 2]) >= 0) {
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

bool ParseMultipart(std::string_view body, std::string_view boundary, THTTPFields& fields,
                    std::vector<THTTPFile>& files, size_t maxFields) {
  if (boundary.empty()) return false;
  const std::string delim = "--" + std::string(boundary);
  size_t pos = body.find(delim);
  if (pos == std::string_view::npos) return false;
  size_t count = 0;
  for (;;) {
    pos += delim.size();
    if (body.substr(pos, 2) == "--") return true;  // closing delimiter
    if (body.substr(pos, 2) != "\r\n") return false;
    pos += 2;
    size_t headEnd = body.find("\r\n\r\n", pos);
    if (headEnd == std::string_view::npos) return false;
    std::string_view head = body.substr(pos, headEnd - pos);
    size_t dataStart = headEnd + 4;
    size_t next = body.find("\r\n" + delim, dataStart);
    if (next == std::string_view::npos) return false;
    std::string_view data = body.substr(dataStart, next - dataStart);
    std::string disposition, type;
    while (!head.empty()) {
      size_t e = head.find("\r\n");
      std::string_view line = head.substr(0, e);
      head = e == std::string_view::npos ? std::string_view() : head.substr(e + 2);
      size_t colon = line.find(':');
      if (colon == std::string_view::npos) continue;
      std::string name = LowerAscii(Trim(line.substr(0, colon)));
      if (name == "content-disposition") disposition = std::string(Trim(line.substr(colon + 1)));
      if (name == "content-type") type = std::string(Trim(line.substr(colon + 1)));
    }
    if (++count > maxFields) return false;
    std::string fieldName = HeaderParam(disposition, "name");
    if (disposition.find("filename=") != std::string::npos) {
      files.push_back({fieldName, HeaderParam(disposition, "filename"), type, std::string(data)});
    } else {
      fields.Add(fieldName, std::string(data));
    }
    pos = next + 2;
  }
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
  if (!parseBody) return true;
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
    case 413:
      return "Payload Too Large";
    case 414:
      return "URI Too Long";
    case 500:
      return "Internal Server Error";
    case 503:
      return "Service Unavailable";
    default:
      return "Status " + std::to_string(code);
  }
}

}  // namespace zq
