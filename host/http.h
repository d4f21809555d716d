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
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "foundation/exception.h"
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

// A request body that failed while it was read: Code() is the status to answer
// (413 when it passed its limit, 400 when it is malformed or the client broke
// off, 408 when the client stopped sending).
class EHTTPBodyError : public Exception {
 public:
  EHTTPBodyError(int code, const std::string& message) : Exception(message), code_(code) {}
  int Code() const { return code_; }

 private:
  int code_;
};

// A request body read in chunks, as the client sends it: nothing of it needs
// to sit whole in memory. Read() hands out at most Limit() bytes in all; a
// body that declares a longer length, or turns out longer while it streams,
// throws EHTTPBodyError(413) instead. A server's source blocks the calling
// (worker) thread until the next bytes arrive.
class THTTPBodySource {
 public:
  virtual ~THTTPBodySource() = default;
  // Reads up to `size` bytes into `buffer`; returns how many, 0 at the end of
  // the body. Throws EHTTPBodyError when the body is over its limit, malformed,
  // broken off or too slow.
  size_t Read(char* buffer, size_t size);
  // The length the client declared (Content-Length); nullopt for a chunked body.
  virtual std::optional<uint64_t> Length() const = 0;
  uint64_t Limit() const { return limit_; }
  void SetLimit(uint64_t limit) { limit_ = limit; }
  uint64_t BytesRead() const { return read_; }
  bool AtEnd() const { return end_; }
  // Reads and drops the rest of the body (within the limit).
  void Skip();

 protected:
  // Reads the next bytes of the body, at most `size`; 0 at its end.
  virtual size_t ReadSome(char* buffer, size_t size) = 0;

 private:
  uint64_t limit_ = UINT64_MAX;
  uint64_t read_ = 0;
  bool end_ = false;
};

// A body source over bytes in memory (kept by the source).
class TStringBodySource : public THTTPBodySource {
 public:
  explicit TStringBodySource(std::string data) : data_(std::move(data)) {}
  std::optional<uint64_t> Length() const override { return data_.size(); }

 protected:
  size_t ReadSome(char* buffer, size_t size) override;

 private:
  std::string data_;
  size_t pos_ = 0;
};

// Receives the parts of a streamed multipart/form-data body, in order:
// Begin(headers of a part), Data(chunk)... for its content, End(); Data sees
// the content in pieces of any size. Returning false from any of them stops
// the parse (ParseMultipartStream then returns false).
class TMultipartSink {
 public:
  struct TPart {
    std::string FieldName, FileName, ContentType;
    bool IsFile = false;  // the part has a filename parameter
  };
  virtual ~TMultipartSink() = default;
  virtual bool Begin(const TPart& part) = 0;
  virtual bool Data(std::string_view chunk) = 0;
  virtual bool End() = 0;
};

// Parses a multipart/form-data body from a source in one pass, in time linear
// in the body size, holding at most one chunk plus a part's headers (at most
// 16 KiB of them) in memory. Returns false when the body is malformed or a
// sink call stopped it; EHTTPBodyError from the source passes through.
bool ParseMultipartStream(THTTPBodySource& body, std::string_view boundary, TMultipartSink& sink,
                          size_t maxParts = SIZE_MAX);

// The value of a "; name=value" parameter of a header such as Content-Type or
// Content-Disposition, unquoted ("" when absent).
std::string HeaderParam(std::string_view header, std::string_view name);

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
  std::string Content;  // raw body, when it was read whole (see BodySource)

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

  // Streaming. A server that has not read the body yet sets a source for it
  // (BodyPending() is then true and Content is empty); a handler reads it in
  // chunks from BodySource(), or takes it whole into Content with
  // ReadContent(). Without a pending source, BodySource() reads Content.
  void SetBodySource(std::unique_ptr<THTTPBodySource> source) { bodySource_ = std::move(source); }
  THTTPBodySource& BodySource();
  bool BodyPending() const {
    return bodySource_ && !bodySource_->AtEnd() && bodySource_->BytesRead() == 0;
  }
  // Reads a pending body into Content, at most `limit` bytes (EHTTPBodyError
  // 413 beyond it, after which the rest of the body is not read).
  void ReadContent(uint64_t limit);

  // Splits the URL, reads cookies and (unless parseBody is false) decodes an
  // url-encoded or multipart body. Returns false (with a reason) when a field
  // limit is exceeded or the body is malformed. A pending body is not read:
  // call ReadContent first to have it parsed.
  bool Parse(size_t maxFields, std::string* error = nullptr, bool parseBody = true);
  bool IsParsed() const { return parsed_; }

 private:
  THTTPFields headers_{false};
  std::string path_, query_, contentType_, userAgent_;
  THTTPFields queryFields_, contentFields_, cookies_;
  std::vector<THTTPFile> files_;
  std::unique_ptr<THTTPBodySource> bodySource_;
  bool parsed_ = false;
};

// Content parsers: the request bodies a server leaves raw, for the handler
// to read while they stream (besides multipart/form-data, which the host
// parses itself in one pass and streams up to the upload limit). A body no
// parser claims is read whole, up to the request limit, before the handler
// runs. A claimed body yields no form fields and no files. Claims see the
// request line and the headers (the URL is not parsed yet) and are asked on
// the server's I/O threads, so they must be quick and must not throw.
using TContentParserClaim = std::function<bool(const THTTPRequest& ARequest)>;
// Returns the id that unregisters it.
int RegisterContentParser(TContentParserClaim AClaim);
void UnregisterContentParser(int AId);
// Whether a registered parser claims the body of that request.
bool ContentParserClaims(const THTTPRequest& ARequest);

// Parses a multipart/form-data body with the given boundary; text parts go to
// fields, file parts to files. Returns false when the body is malformed.
bool ParseMultipart(std::string_view body, std::string_view boundary, THTTPFields& fields,
                    std::vector<THTTPFile>& files, size_t maxFields);

// A reply body produced in chunks. The server asks for the next chunk only
// when the previous one has been sent (back-pressure), on a worker thread, so
// Read may block; the stream is freed when the reply is done or the client
// has gone.
class THTTPReplyStream {
 public:
  virtual ~THTTPReplyStream() = default;
  // Writes up to `size` bytes into `buffer`; returns how many, 0 at the end.
  // An exception ends the reply (the connection is closed, as the client
  // cannot be told after the header has gone).
  virtual size_t Read(char* buffer, size_t size) = 0;
};

// A reply stream that reads a range of a file through one open descriptor.
class TFileReplyStream : public THTTPReplyStream {
 public:
  // Opens the file; throws Exception when it cannot be opened.
  TFileReplyStream(const std::string& path, uint64_t offset = 0,
                   std::optional<uint64_t> length = std::nullopt);
  ~TFileReplyStream() override;
  size_t Read(char* buffer, size_t size) override;
  uint64_t Length() const { return length_; }
  uint64_t FileSize() const { return fileSize_; }

 private:
  int fd_ = -1;
  uint64_t offset_ = 0, length_ = 0, fileSize_ = 0, sent_ = 0;
};

// A reply stream over a function: each call fills the buffer and returns the
// count, 0 at the end.
class TFunctionReplyStream : public THTTPReplyStream {
 public:
  using TProducer = std::function<size_t(char*, size_t)>;
  explicit TFunctionReplyStream(TProducer producer) : producer_(std::move(producer)) {}
  size_t Read(char* buffer, size_t size) override { return producer_(buffer, size); }

 private:
  TProducer producer_;
};

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

  // Streaming. The body comes from the stream instead of Body(): sent with
  // Content-Length when the length is given, chunked otherwise. The stream
  // replaces any body written so far.
  void SendStream(std::unique_ptr<THTTPReplyStream> stream,
                  std::optional<uint64_t> length = std::nullopt);
  // Sends a file, or `length` bytes of it from `offset`, with its length
  // known. Throws Exception when the file cannot be opened.
  void SendFile(const std::string& path, uint64_t offset = 0,
                std::optional<uint64_t> length = std::nullopt);
  bool HasStream() const { return stream_ != nullptr; }
  const std::optional<uint64_t>& StreamLength() const { return streamLength_; }
  // Hands the stream to the transport (the reply keeps none).
  std::unique_ptr<THTTPReplyStream> TakeStream();
  // Reads the whole stream into Body(): for transports that send bodies whole
  // (the in-process test host).
  void DrainStream();

  // Back to a fresh reply: status 200, no body or stream, no content type, no
  // headers. Cookies already set are kept (a session cookie must survive).
  void ResetReplyType();

  // Keeps an object as long as the reply lives: what a large body was made
  // from (a JSON tree, say) is then released after the server has handed
  // the body to the connection, not while the client waits for it.
  void Keep(std::shared_ptr<const void> AObject) { kept_.push_back(std::move(AObject)); }

  // All header lines to send, as name/value pairs, Content-Type and Set-Cookie
  // included.
  std::vector<std::pair<std::string, std::string>> AllHeaders() const;

  // The standard reason phrase of a status code ("OK", "Not Found", ...).
  static std::string StatusText(int code);

 private:
  std::vector<std::shared_ptr<const void>> kept_;  // released last
  int code_ = 200;
  std::string codeText_ = "OK";
  std::string contentType_;
  THTTPFields headers_{false};
  std::vector<THTTPCookie> cookies_;
  std::string body_;
  std::unique_ptr<THTTPReplyStream> stream_;
  std::optional<uint64_t> streamLength_;
};

}  // namespace zq
