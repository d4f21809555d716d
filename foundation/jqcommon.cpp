#include "foundation/jqcommon.h"

#include <sys/random.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "foundation/component.h"
#include "foundation/format.h"
#include "foundation/superobject_utf.h"
#include "foundation/variant.h"

namespace zq {

TIWZQJQQuoteStyle IWZQJQQuoteStyle = qsDouble;
bool ZQScriptDebugCatch = false;
std::string ZQJQuery = "$";
bool ZQResizeFix = true;
bool ZQJSErrorHandler = false;
std::string ZQJsUrlBase = "jq/";
std::string ZQCssUrlBase = "css/";
std::string ZQThemeUrlBase = "ui-themes/";

const std::string& ZQGetLibraryVersion() {
  static const std::string version = ZQLibraryVersion;
  return version;
}

namespace {

std::string RemoveCRLF(std::string_view text) {
  std::string r;
  r.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      ++i;
      continue;
    }
    r.push_back(text[i]);
  }
  return r;
}

bool IsTrimmed(char c) { return static_cast<unsigned char>(c) <= ' '; }

void SecureRandom(void* buffer, size_t size) {
  auto* p = static_cast<unsigned char*>(buffer);
  while (size > 0) {
    ssize_t n = getrandom(p, size, 0);
    if (n < 0) {
      if (errno == EINTR) continue;
      std::ifstream urandom("/dev/urandom", std::ios::binary);
      if (!urandom.read(reinterpret_cast<char*>(p), static_cast<std::streamsize>(size)))
        throw EIWZQJQuery("No secure random source available!");
      return;
    }
    p += n;
    size -= static_cast<size_t>(n);
  }
}

// Positions of the UTF-16 code units: starts[k] is the byte offset where
// unit k begins (both units of a surrogate pair start at the same byte);
// starts[count] is the text's size.
std::vector<size_t> UnitStarts(std::string_view text) {
  std::vector<size_t> starts;
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  size_t i = 0;
  while (i < text.size()) {
    size_t at = i;
    std::uint32_t cp = superobject_detail::DecodeUtf8(s, text.size(), i);
    starts.push_back(at);
    if (cp >= 0x10000) starts.push_back(at);
  }
  starts.push_back(text.size());
  return starts;
}

}  // namespace

std::string ZQTrim(std::string_view text) {
  size_t b = 0, e = text.size();
  while (b < e && IsTrimmed(text[b])) ++b;
  while (e > b && IsTrimmed(text[e - 1])) --e;
  return std::string(text.substr(b, e - b));
}

std::string JQQuotedStr(std::string_view text) {
  std::string t = RemoveCRLF(text);
  if (IWZQJQQuoteStyle == qsDouble) return "\"" + t + "\"";
  std::string r = "'";
  for (char c : t) {
    if (c == '\\' || c == '\'') r.push_back('\\');
    r.push_back(c);
  }
  r.push_back('\'');
  return r;
}

std::string JQBoolStr(bool value) { return value ? "true" : "false"; }

std::string ZQJsEscape(std::string_view text) {
  std::string r = "\"";
  SuperAppendEscaped(r, text, true);
  r.push_back('"');
  return r;
}

std::string ZQJsEscapeUnquoted(std::string_view text) {
  std::string r = ZQJsEscape(text);
  return r.substr(1, r.size() - 2);
}

std::string ZQJsNoLineBreaks(std::string_view text, bool removeAll) {
  std::string r;
  r.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      ++i;
      if (!removeAll) r.push_back(' ');
      continue;
    }
    r.push_back(text[i]);
  }
  return r;
}

std::string ZQInsertSemiColon(std::string_view text) {
  std::string r(text);
  if (!r.empty() && r.back() != ';') r.push_back(';');
  return r;
}

std::string ZQUnQuotedStr(std::string_view text) {
  std::string r = ZQTrim(text);
  if (r.size() >= 2 && r.front() == '"' && r.back() == '"') r = r.substr(1, r.size() - 2);
  return r;
}

std::string IfStr(bool flag, std::string_view a, std::string_view b) { return std::string(flag ? a : b); }
std::string ZQIfStr(bool flag, std::string_view a, std::string_view b) { return IfStr(flag, a, b); }
Variant ZQIfVar(bool flag, const Variant& a, const Variant& b) { return flag ? a : b; }

std::string ZQGetJQuery(std::string_view id) { return Format("%s(\"#%s\")", ZQJQuery, id); }
std::string ZQGetJQueryElem(std::string_view id) { return ZQGetJQuery(id) + "[0]"; }

std::string ZQLogMessage(std::string_view message, TZQLogMessageType type) {
  static const char* const kWords[] = {"log", "warn", "error", "info"};
  int t = static_cast<int>(type);
  if (t < 0 || t > 3) t = 0;
  return Format("debug.%s(\"Tavrin: %s\");", kWords[t], message);
}

int ZQInvPosA(std::string_view sub, std::string_view text, int start) {
  if (sub.empty() || text.empty()) return 0;
  int len = static_cast<int>(text.size());
  if (start <= 0 || start > len) start = len;
  // last occurrence ending at or before 'start' (1-based end position)
  if (static_cast<int>(sub.size()) > start) return 0;
  size_t pos = text.substr(0, static_cast<size_t>(start)).rfind(sub);
  return pos == std::string_view::npos ? 0 : static_cast<int>(pos) + 1;
}

int ZQInvPos(std::string_view sub, std::string_view text, int start) {
  if (sub.empty() || text.empty()) return 0;
  std::vector<size_t> starts = UnitStarts(text);
  int units = static_cast<int>(starts.size()) - 1;
  if (start <= 0 || start > units) start = units;
  size_t endByte = starts[static_cast<size_t>(start)];
  // An end inside a surrogate pair cannot match a whole sub-text ending there.
  size_t pos = text.substr(0, endByte).rfind(sub);
  if (pos == std::string_view::npos) return 0;
  auto it = std::lower_bound(starts.begin(), starts.end(), pos);
  return static_cast<int>(it - starts.begin()) + 1;
}

std::string ZQAddCssClass(std::string_view cls, std::string_view list, bool prepend) {
  std::string r(list);
  if (cls.empty() || r.find(cls) != std::string::npos) return r;
  if (r.empty()) return std::string(cls);
  return prepend ? std::string(cls) + " " + r : r + " " + std::string(cls);
}

std::string ZQGenAutoID() {
  using namespace std::chrono;
  auto now = system_clock::now();
  std::time_t t = system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&t, &local);
  double secs = duration<double>(now.time_since_epoch()).count() + static_cast<double>(local.tm_gmtoff);
  return "autoid" + std::to_string(static_cast<long long>(std::llround(secs)));
}

std::string ZQRandomString(int length) {
  static constexpr std::string_view kChars = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::string r;
  if (length < 1) return r;
  r.reserve(static_cast<size_t>(length));
  while (static_cast<int>(r.size()) < length) {
    unsigned char buf[64];
    SecureRandom(buf, sizeof buf);
    for (unsigned char b : buf) {
      if (b >= 248) continue;  // 248 = 4 * 62: keeps the draw uniform
      r.push_back(kChars[b % kChars.size()]);
      if (static_cast<int>(r.size()) == length) break;
    }
  }
  return r;
}

std::string GUIDToString(const TGUID& g) {
  return Format("{%0.8X-%0.4X-%0.4X-%0.2X%0.2X-%0.2X%0.2X%0.2X%0.2X%0.2X%0.2X}", g.D1, g.D2, g.D3, g.D4[0],
                g.D4[1], g.D4[2], g.D4[3], g.D4[4], g.D4[5], g.D4[6], g.D4[7]);
}

TGUID ZQEmptyGUID() { return TGUID{}; }
std::string ZQEmptyGUIDString() { return GUIDToString(ZQEmptyGUID()); }

TGUID ZQNewGUID() {
  unsigned char b[16];
  SecureRandom(b, sizeof b);
  b[6] = static_cast<unsigned char>((b[6] & 0x0F) | 0x40);  // version 4
  b[8] = static_cast<unsigned char>((b[8] & 0x3F) | 0x80);  // variant 1
  TGUID g;
  g.D1 = (std::uint32_t{b[0]} << 24) | (std::uint32_t{b[1]} << 16) | (std::uint32_t{b[2]} << 8) | b[3];
  g.D2 = static_cast<std::uint16_t>((b[4] << 8) | b[5]);
  g.D3 = static_cast<std::uint16_t>((b[6] << 8) | b[7]);
  for (int i = 0; i < 8; ++i) g.D4[i] = b[8 + i];
  return g;
}

std::string ZQNewGUIDString() { return GUIDToString(ZQNewGUID()); }

namespace {
std::string HTMLMapID(const std::string& guid) {
  std::string r;
  for (char c : guid)
    if (c != '{' && c != '}' && c != '-') r.push_back(c);
  return r;
}
}  // namespace

std::string ZQNewGUIDHTMLMapID() { return HTMLMapID(ZQNewGUIDString()); }
int ZQGUIDHTMLMapIDLen() { return static_cast<int>(HTMLMapID(ZQEmptyGUIDString()).size()); }

std::string ZQFindUniqueComponentName(const TComponent* owner, std::string_view baseName) {
  std::string name(baseName);
  if (!owner) return name;
  for (int i = 1; owner->FindComponent(name); ++i) name = std::string(baseName) + std::to_string(i);
  return name;
}

// ---------------------------------------------------------------- Base64

namespace {
int B64Value(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+' || c == '-') return 62;
  if (c == '/' || c == '_') return 63;
  return -1;
}
}  // namespace

std::string ZQBase64Decode(std::string_view text) {
  std::string out;
  out.reserve(text.size() * 3 / 4);
  std::uint32_t acc = 0;
  int bits = 0;
  bool padding = false;
  for (unsigned char c : text) {
    if (c == ' ' || c == '\r' || c == '\n' || c == '\t') continue;
    if (c == '=') {
      padding = true;
      continue;
    }
    int v = B64Value(c);
    if (v < 0 || padding) throw EIWZQJQuery("Invalid Base64 data!");
    acc = (acc << 6) | static_cast<std::uint32_t>(v);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out.push_back(static_cast<char>((acc >> bits) & 0xFF));
    }
  }
  return out;
}

std::string ZQBase64Encode(std::string_view data) {
  static constexpr char kTable[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((data.size() + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 2 < data.size(); i += 3) {
    std::uint32_t n = (std::uint32_t{static_cast<unsigned char>(data[i])} << 16) |
                      (std::uint32_t{static_cast<unsigned char>(data[i + 1])} << 8) |
                      static_cast<unsigned char>(data[i + 2]);
    for (int k = 3; k >= 0; --k) out.push_back(kTable[(n >> (6 * k)) & 63]);
  }
  size_t rest = data.size() - i;
  if (rest) {
    std::uint32_t n = std::uint32_t{static_cast<unsigned char>(data[i])} << 16;
    if (rest == 2) n |= std::uint32_t{static_cast<unsigned char>(data[i + 1])} << 8;
    out.push_back(kTable[(n >> 18) & 63]);
    out.push_back(kTable[(n >> 12) & 63]);
    out.push_back(rest == 2 ? kTable[(n >> 6) & 63] : '=');
    out.push_back('=');
  }
  return out;
}

void ZQSaveBase64Data(const std::string& fileName, std::string_view base64) {
  std::string bytes = ZQBase64Decode(base64);  // decode first: bad data leaves no file behind
  std::ofstream f(fileName, std::ios::binary | std::ios::trunc);
  if (!f) throw EIWZQJQuery(Format("Cannot create file \"%s\"!", fileName));
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!f) throw EIWZQJQuery(Format("Cannot write file \"%s\"!", fileName));
}

std::string ZQSaveBase64DataIn(const std::string& folder, std::string_view fileName, std::string_view base64) {
  namespace fs = std::filesystem;
  std::string name(fileName);
  bool bad = name.empty() || name == "." || name == ".." || name.find_first_of(std::string("/\\:\0", 4)) != std::string::npos;
  if (bad) throw EIWZQJQuery(Format("Invalid file name: \"%s\"!", name));
  std::error_code ec;
  if (folder.empty() || !fs::is_directory(folder, ec))
    throw EIWZQJQuery(Format("Folder not found: \"%s\"!", folder));
  fs::path path = fs::path(folder) / name;
  // A symbolic link placed under that name must not lead the write outside.
  if (fs::is_symlink(fs::symlink_status(path, ec))) throw EIWZQJQuery(Format("Invalid file name: \"%s\"!", name));
  ZQSaveBase64Data(path.string(), base64);
  return path.string();
}

void CheckNilSO(ISuperObject& node) {
  if (!node) node = TSuperObject::Create(stNull);
}

ISuperObject SONil2Null(const ISuperObject& node) { return node ? node : TSuperObject::Create(stNull); }

// ---------------------------------------------------------------- event monitor

namespace {
// Captured while the library is loaded (static initialisation runs on the
// main thread, before any request thread exists).
const std::thread::id gMainThread = std::this_thread::get_id();
TIWZQEventMonitorEvent gEventMonitor;
}  // namespace

void SetZQEventMonitor(const TIWZQEventMonitorEvent& monitor) {
  if (std::this_thread::get_id() != gMainThread)
    throw EIWZQJQuery("You can only set ZQEventMonitor in the Main Thread!");
  gEventMonitor = monitor;
}

const TIWZQEventMonitorEvent& GetZQEventMonitor() { return gEventMonitor; }

void ZQCallEventMonitor(TObject* sender, const std::string& eventName, TStringList* params, bool isAjax) {
  if (gEventMonitor) gEventMonitor(sender, eventName, params, isAjax);
}

}  // namespace zq
