#include "components/upload/uploadreceiver.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <system_error>

#include "foundation/asciicase.h"
#include "foundation/format.h"
#include "foundation/jqcommon.h"
#include "foundation/superobject.h"
#include "framework/startup.h"
#include "host/http.h"
#include "host/servercontroller.h"

namespace zq {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kChunk = 256 * 1024;
// Room for the part headers and other parts of a multipart body beyond the
// file's own cap.
constexpr std::uint64_t kMultipartOverhead = 1024 * 1024;

std::string TempSuffix() {
  thread_local std::mt19937_64 gen{std::random_device{}()};
  return Format("%.16x", static_cast<unsigned long long>(gen()));
}

// A name for a message: control characters (NUL among them) shown as "?".
std::string Printable(std::string_view AName) {
  std::string r(AName);
  for (char& c : r)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
  return r;
}

[[noreturn]] void RaiseExists(const std::string& AFileName) {
  throw EIWZQJQuery(Format("Filename \"%s\" already exists in upload folder!", AFileName));
}

}  // namespace

// ---------------------------------------------------------------- names

std::string ZQUploadBaseName(std::string_view AName) {
  std::string_view base = AName;
  const std::size_t cut = base.find_last_of("/\\");
  if (cut != std::string_view::npos) base.remove_prefix(cut + 1);
  if (base.size() >= 2 && base[1] == ':' &&
      ((base[0] >= 'A' && base[0] <= 'Z') || (base[0] >= 'a' && base[0] <= 'z')))
    base.remove_prefix(2);
  const bool control = std::any_of(base.begin(), base.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7f;
  });
  if (base.empty() || base == "." || base == ".." || control)
    throw EIWZQJQuery(Format("Invalid file name \"%s\"!", Printable(AName)));
  return std::string(base);
}

std::string ZQUploadTargetPath(const std::string& AFolder, const std::string& AFileName) {
  std::error_code ec;
  const fs::path folder = fs::weakly_canonical(fs::absolute(AFolder.empty() ? "." : AFolder), ec);
  fs::path target;
  if (!ec) target = fs::weakly_canonical(folder / AFileName, ec);
  bool inside = !ec && !AFileName.empty();
  if (inside) {
    auto f = folder.begin(), t = target.begin();
    for (; f != folder.end() && !f->empty(); ++f, ++t)
      if (t == target.end() || *f != *t) break;
    // every folder element matched (a trailing empty one aside) and more follows
    inside = (f == folder.end() || f->empty()) && t != target.end() && !t->empty();
  }
  if (!inside)
    throw EIWZQJQuery(Format("Filename \"%s\" is outside the upload folder!", AFileName));
  return target.string();
}

std::uint64_t ZQUploadHostMaxBytes() {
  return gServerController ? gServerController->MaxUploadSize : 64ull * 1024 * 1024;
}

// ---------------------------------------------------------------- TZQUploadFile

TZQUploadFile::TZQUploadFile(std::string ATarget, std::string AFileName, bool ACanOverride)
    : FTarget(std::move(ATarget)), FFileName(std::move(AFileName)), FCanOverride(ACanOverride) {
  const fs::path dir = fs::path(FTarget).parent_path();
  std::error_code ec;
  fs::create_directories(dir, ec);  // errors show when the file is created
  for (int attempt = 0; attempt < 16 && FFd < 0; ++attempt) {
    FTemp = (dir / (".upload-" + TempSuffix() + ".tmp")).string();
    FFd = ::open(FTemp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (FFd < 0 && errno != EEXIST) break;
  }
  if (FFd < 0) {
    FTemp.clear();
    throw EIWZQJQuery(Format("Cannot create a file in upload folder for \"%s\"!", FFileName));
  }
}

TZQUploadFile::~TZQUploadFile() {
  Discard();
}

void TZQUploadFile::Discard() {
  if (FFd >= 0) ::close(FFd);
  FFd = -1;
  if (!FTemp.empty()) ::unlink(FTemp.c_str());
  FTemp.clear();
}

void TZQUploadFile::Write(std::string_view AData) {
  while (!AData.empty()) {
    const ssize_t n = ::write(FFd, AData.data(), AData.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw EIWZQJQuery(Format("Cannot write file \"%s\"!", FFileName));
    FSize += static_cast<std::uint64_t>(n);
    AData.remove_prefix(static_cast<std::size_t>(n));
  }
}

void TZQUploadFile::Commit() {
  const int fd = FFd;
  FFd = -1;
  if (::close(fd) != 0) throw EIWZQJQuery(Format("Cannot write file \"%s\"!", FFileName));
  if (FCanOverride) {
    if (::rename(FTemp.c_str(), FTarget.c_str()) != 0)
      throw EIWZQJQuery(Format("Cannot store file \"%s\"!", FFileName));
    FTemp.clear();
    return;
  }
  // The target must not exist at the moment of the move: the kernel decides,
  // so one of two racing requests wins.
  if (::renameat2(AT_FDCWD, FTemp.c_str(), AT_FDCWD, FTarget.c_str(), RENAME_NOREPLACE) == 0) {
    FTemp.clear();
    return;
  }
  if (errno == EEXIST) RaiseExists(FFileName);
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
    throw EIWZQJQuery(Format("Cannot store file \"%s\"!", FFileName));
  // A file system without the flag: a hard link fails for an existing name too.
  if (::link(FTemp.c_str(), FTarget.c_str()) != 0) {
    if (errno == EEXIST) RaiseExists(FFileName);
    throw EIWZQJQuery(Format("Cannot store file \"%s\"!", FFileName));
  }
  ::unlink(FTemp.c_str());
  FTemp.clear();
}

// ---------------------------------------------------------------- multipart

namespace {

// Passes a body on and notes whether it holds "--" + boundary at all, so
// that a body without it is told from a malformed one.
class DelimiterWatch : public THTTPBodySource {
 public:
  DelimiterWatch(THTTPBodySource& AInner, std::string_view ABoundary)
      : FInner(AInner), FDelimiter("--" + std::string(ABoundary)) {}
  std::optional<uint64_t> Length() const override { return FInner.Length(); }
  bool FSeen = false;

 protected:
  size_t ReadSome(char* ABuffer, size_t ASize) override {
    const size_t n = FInner.Read(ABuffer, ASize);
    if (!FSeen && n > 0) {
      // only the bytes before the first delimiter are searched, with an
      // overlap of the delimiter's length
      FTail.append(ABuffer, n);
      FSeen = FTail.find(FDelimiter) != std::string::npos;
      if (FTail.size() >= FDelimiter.size()) FTail.erase(0, FTail.size() - FDelimiter.size() + 1);
    }
    return n;
  }

 private:
  THTTPBodySource& FInner;
  std::string FDelimiter, FTail;
};

class UploadPartSink : public TMultipartSink {
 public:
  UploadPartSink(std::string_view AInputName,
                 const std::function<void(const std::string&)>& AOnFile,
                 const std::function<void(std::string_view)>& AData)
      : FInputName(AInputName), FOnFile(AOnFile), FData(AData) {}

  bool Begin(const TPart& APart) override {
    FSelected = !FFound && (APart.IsFile || APart.FieldName == FInputName);
    if (FSelected) {
      FFound = true;
      FOnFile(APart.FileName);
    }
    return true;
  }
  bool Data(std::string_view AChunk) override {
    if (FSelected) FData(AChunk);
    return true;
  }
  bool End() override {
    FSelected = false;
    return true;
  }

  bool FFound = false;

 private:
  std::string_view FInputName;
  const std::function<void(const std::string&)>& FOnFile;
  const std::function<void(std::string_view)>& FData;
  bool FSelected = false;
};

}  // namespace

void ZQUploadParseMultipart(THTTPBodySource& ABody, std::string_view ABoundary,
                            std::string_view AInputName,
                            const std::function<void(const std::string& AFileName)>& AOnFile,
                            const std::function<void(std::string_view AData)>& AData) {
  UploadPartSink sink(AInputName, AOnFile, AData);
  DelimiterWatch body(ABody, ABoundary);
  const bool ok = ParseMultipartStream(body, ABoundary, sink);
  if (!ok && !body.FSeen)
    throw EIWZQJQuery(
        Format("Boundary \"%s\" not found in multipart/form-data content!", ABoundary));
  if (!ok || !sink.FFound) throw EIWZQJQuery("Invalid multipart/form-data content!");
}

// ---------------------------------------------------------------- receiving

TZQUploadResult ZQReceiveUploadBody(THTTPBodySource& ABody, std::string_view AContentType,
                                    std::string AFileName, const TZQUploadSettings& ASettings) {
  const std::uint64_t cap = ASettings.SizeLimit > 0 ? ASettings.SizeLimit : ZQUploadHostMaxBytes();
  const std::optional<std::uint64_t> declared = ABody.Length();
  if (declared && *declared == 0) throw EIWZQJQuery("Invalid ContentLength!");

  TZQUploadResult result;
  std::unique_ptr<TZQUploadFile> file;
  auto tooLarge = [&]() {
    throw EIWZQJQuery(Format("File \"%s\" is larger than the size limit of %u bytes!",
                             result.FileName.empty() ? AFileName : result.FileName, cap));
  };
  auto prepare = [&](const std::string& ARawName) {
    std::string name = ARawName.empty() ? std::string() : ZQUploadBaseName(ARawName);
    std::string folder = ASettings.Folder;
    if (ASettings.OnGetFileName) ASettings.OnGetFileName(folder, name);
    if (name.empty()) throw EIWZQJQuery("Unspecified Filename!");
    result.FileName = name;
    result.Path = ZQUploadTargetPath(folder, name);
    std::error_code ec;
    if (!ASettings.CanOverrideFile && fs::exists(fs::symlink_status(result.Path, ec)))
      RaiseExists(name);
    file = std::make_unique<TZQUploadFile>(result.Path, name, ASettings.CanOverrideFile);
  };

  const std::string_view media = AContentType.substr(0, AContentType.find(';'));
  const std::string mediaType = LowerAscii(ZQTrim(media));
  try {
    if (mediaType == "application/octet-stream") {
      if (declared && *declared > cap) tooLarge();
      prepare(AFileName);
      ABody.SetLimit(std::min(ABody.Limit(), cap));
      std::unique_ptr<char[]> buf(new char[kChunk]);
      while (const std::size_t n = ABody.Read(buf.get(), kChunk)) file->Write({buf.get(), n});
      if (file->Size() == 0) throw EIWZQJQuery("Invalid ContentLength!");
    } else if (mediaType == "multipart/form-data" &&
               !HeaderParam(AContentType, "boundary").empty()) {
      if (declared && *declared > cap + kMultipartOverhead) tooLarge();
      ABody.SetLimit(std::min(ABody.Limit(), cap + kMultipartOverhead));
      ZQUploadParseMultipart(
          ABody, HeaderParam(AContentType, "boundary"), ASettings.InputName,
          [&](const std::string& APartName) { prepare(AFileName.empty() ? APartName : AFileName); },
          [&](std::string_view AData) {
            if (file->Size() + AData.size() > cap) tooLarge();
            file->Write(AData);
          });
    } else {
      throw EIWZQJQuery(Format("Invalid ContentType: \"%s\"!", AContentType));
    }
  } catch (const EHTTPBodyError& e) {
    if (e.Code() == 413) tooLarge();
    throw EIWZQJQuery(e.what());
  }
  result.Size = file->Size();
  file->Commit();
  return result;
}

TZQUploadResult ZQReceiveUpload(THTTPRequest& ARequest, const TZQUploadSettings& ASettings) {
  std::string name = ARequest.GetField(ASettings.InputName);
  if (name.empty()) name = HTTPDecode(ARequest.GetHeader("X-File-Name"));
  return ZQReceiveUploadBody(ARequest.BodySource(), ARequest.GetHeader("Content-Type"), name,
                             ASettings);
}

// ---------------------------------------------------------------- replies

namespace {
void Reply(THTTPReply& AReply, std::string ABody, bool AIsIE) {
  AReply.SetContentType(AIsIE ? "text/html" : "application/json");
  AReply.SetBody(std::move(ABody));
}
}  // namespace

void ZQUploadReplySuccess(THTTPReply& AReply, bool AIsIE) {
  Reply(AReply, "{\"success\":true}", AIsIE);
}

void ZQUploadReplyFailure(THTTPReply& AReply, const std::string& AReason, bool AIsIE) {
  ISuperObject o = SO();
  o->PutB("success", false);
  o->PutS("reason", AReason);
  Reply(AReply, o->AsJSon(false, true, true), AIsIE);
}

// ---------------------------------------------------------------- content parser

namespace {

std::mutex gParserLock;
int gParserId = 0;

[[maybe_unused]] const bool gStartupSlotFilled = [] {
  ZQSetStartupSlot(TZQStartupSlot::UploadParser,
                   {&ZQUploadParserStartup, &ZQUploadParserShutdown, nullptr});
  return true;
}();

}  // namespace

bool ZQIsRawUploadRequest(const THTTPRequest& ARequest) {
  return ARequest.Method == "POST" &&
         ARequest.GetHeader("Content-Type") == "application/octet-stream" &&
         ARequest.Headers().Has("X-File-Name");
}

void ZQUploadParserStartup() {
  std::lock_guard<std::mutex> g(gParserLock);
  if (gParserId == 0) gParserId = RegisterContentParser(&ZQIsRawUploadRequest);
}

void ZQUploadParserShutdown() {
  std::lock_guard<std::mutex> g(gParserLock);
  if (gParserId != 0) UnregisterContentParser(gParserId);
  gParserId = 0;
}

bool ZQUploadParserStarted() {
  std::lock_guard<std::mutex> g(gParserLock);
  return gParserId != 0;
}

}  // namespace zq
