// HTTP request and reply objects of the host, transport-neutral: the embedded
// server (or a test) fills a THTTPRequest, TIWServerController::HandleRequest
// answers into a THTTPReply, and the server writes that reply out.
//
// Header, status and cookie values never carry CR or LF: every setter strips
// them, so no value taken from a request or from application data can split a
// header or start a new one.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "foundation/html.h"  // HTMLEscape

namespace zq {

// Percent-encodes everything but the unreserved characters A-Z a-z 0-9 - _ . ~
// (UTF-8 bytes are encoded one by one), so the result is safe in a path, a
// query or a form body.
std::string HTTPEncode(std::string_view text);
// Decodes %XX escapes and "+" (a blank in form bodies). A "%" that is not
// followed by two hexadecimal digits is kept as it is.
std::string HTTPDecode(std::string_view text);
// The URL with a trailing "/" (an empty URL gives "/").
std::string IncludeURLPathDelimiter(std::string_view url);
// The text with every CR and LF removed.
std::string StripCRLF(std::string_view text);
// A JavaScript string literal in double quotes, safe inside a <script> element
// ("<", ">", "&" and quotes escaped, control characters as \xNN).
std::string JSString(std::string_view text);
// An HTTP date (RFC 1123, GMT), e.g. "Wed, 09 Dec 2026 08:39:00 GMT".
std::string HTTPDate(std::chrono::system_clock::time_point when);
// Parses an HTTP date written as above; nullopt when it does not parse.
std::optional<std::chrono::system_clock::time_point> ParseHTTPDate(std::string_view text);

// An ordered list of name/value pairs (query fields, form fields, headers).
// Lookups are exact or ASCII case-insensitive as chosen at construction; the
// first match wins.
class THTTPFields {
 public:
  using Item = std::pair<std::string, std::string>;
  explicit THTTPFields(bool caseSensitive = true) : caseSensitive_(caseSensitive) {}

  void Add(std::string name, std::string value) {
    items_.emplace_back(std::move(name), std::move(value));
  }
  // Replaces the first field of that name, or appends one.
  void Set(std::string_view name, std::string value);
  void Remove(std::string_view name);
  bool Has(std::string_view name) const { return Find(name) != nullptr; }
  // The first value of that name, or empty.
  std::string Get(std::string_view name) const;
  const std::string* Find(std::string_view name) const;
  const std::vector<Item>& Items() const { return items_; }
  size_t Count() const { return items_.size(); }
  void Clear() { items_.clear(); }
  bool CaseSensitive() const { return caseSensitive_; }
  // The fields as "name=value" lines.
  std::vector<std::string> AsLines() const;

 private:
  bool Same(std::string_view a, std::string_view b) const;
  bool caseSensitive_;
  std::vector<Item> items_;
};

// Parses "a=1&b=x%20y" into fields, decoding names and values (UTF-8 bytes).
// Returns false when more than maxFields fields are present (the fields read so
// far are kept).
bool ParseURLEncoded(std::string_view text, THTTPFields& into, size_t maxFields = SIZE_MAX);

// A file part of a multipart/form-data body.
struct THTTPFile {
  std::string FieldName;
  std::string FileName;
  std::string ContentType;
  std::string Data;
};

class THTTPCookie {
 public:
  THTTPCookie() = default;
  THTTPCookie(std::string name, std::string value, std::string path = "/",
              std::optional<std::chrono::system_clock::time_point> expires = std::nullopt);

  std::string Name, Value, Path = "/", Domain;
  std::optional<std::chrono::system_clock::time_point> Expires;
  bool HttpOnly = false;
  bool Secure = false;
  std::string SameSite;  // "Lax", "Strict", "None" or empty

  // The Set-Cookie header value. CR and LF are removed from every part; in the
  // name and value ";" and "," are percent-encoded so that they cannot add
  // attributes.
  std::string HeaderValue() const;
};

class THTTPRequest {
 public:
  THTTPRequest();

  // Request line and transport data, set by whoever builds the request.
  std::string Method = "GET";
  std::string URL;         // path and query as received, e.g. "/$/callback?callback=X"
  std::string Host;        // Host header value
  std::string ScriptName;  // prefix under which the application runs, usually empty
  int ServerPort = 80;
  std::string RemoteAddr;
  std::string Content;  // raw body

  // Headers (case-insensitive names).
  THTTPFields& Headers() { return headers_; }
  const THTTPFields& Headers() const { return headers_; }
  std::string GetHeader(std::string_view name) const { return headers_.Get(name); }
  void SetHeader(std::string name, std::string value);

  // Derived parts; computed by Parse() from URL, headers and body.
  const std::string& PathInfo() const { return path_; }
  const std::string& Query() const { return query_; }
  const std::string& ContentType() const { return contentType_; }
  size_t ContentLength() const { return Content.size(); }
  const std::string& UserAgent() const { return userAgent_; }
  const THTTPFields& QueryFields() const { return queryFields_; }
  const THTTPFields& ContentFields() const { return contentFields_; }
  THTTPFields& ContentFields() { return contentFields_; }
  const THTTPFields& CookieFields() const { return cookies_; }
  const std::vector<THTTPFile>& Files() const { return files_; }
  std::vector<THTTPFile>& Files() { return files_; }
  // Form fields for a POST, query fields otherwise.
  const THTTPFields& Params() const { return Method == "POST" ? contentFields_ : queryFields_; }
  // The named field from the form (POST) or the query, form first.
  std::string GetField(std::string_view name) const;
  std::string GetCookie(std::string_view name) const { return cookies_.Get(name); }

  // Splits the URL, reads cookies and (unless parseBody is false) decodes an
  // url-encoded or multipart body. Returns false (with a reason) when a field
  // limit is exceeded or the body is malformed.
  bool Parse(size_t maxFields, std::string* error = nullptr, bool parseBody = true);
  bool IsParsed() const { return parsed_; }

 private:
  THTTPFields headers_{false};
  std::string path_, query_, contentType_, userAgent_;
  THTTPFields queryFields_, contentFields_, cookies_;
  std::vector<THTTPFile> files_;
  bool parsed_ = false;
};

// Parses a multipart/form-data body with the given boundary; text parts go to
// fields, file parts to files. Returns false when the body is malformed.
bool ParseMultipart(std::string_view body, std::string_view boundary, THTTPFields& fields,
                    std::vector<THTTPFile>& files, size_t maxFields);

class THTTPReply {
 public:
  THTTPReply() = default;

  int Code() const { return code_; }
  const std::string& CodeText() const { return codeText_; }
  void SetCode(int code, std::string_view text = {});
  const std::string& ContentType() const { return contentType_; }
  void SetContentType(std::string_view type) { contentType_ = StripCRLF(type); }

  // Headers other than Content-Type and Set-Cookie.
  void SetHeader(std::string_view name, std::string_view value);
  void AddHeader(std::string_view name, std::string_view value);
  std::string GetHeader(std::string_view name) const;
  const THTTPFields& Headers() const { return headers_; }

  std::vector<THTTPCookie>& Cookies() { return cookies_; }
  const std::vector<THTTPCookie>& Cookies() const { return cookies_; }

  void WriteString(std::string_view text) { body_ += text; }
  const std::string& Body() const { return body_; }
  std::string& Body() { return body_; }
  void SetBody(std::string body) { body_ = std::move(body); }

  // Back to a fresh reply: status 200, no body, no content type, no headers.
  // Cookies already set are kept (a session cookie must survive).
  void ResetReplyType();

  // All header lines to send, as name/value pairs, Content-Type and Set-Cookie
  // included.
  std::vector<std::pair<std::string, std::string>> AllHeaders() const;

  // The standard reason phrase of a status code ("OK", "Not Found", ...).
  static std::string StatusText(int code);

 private:
  int code_ = 200;
  std::string codeText_ = "OK";
  std::string contentType_;
  THTTPFields headers_{false};
  std::vector<THTTPCookie> cookies_;
  std::string body_;
};

}  // namespace zq
