// The server side of the file upload: a browser posts one file per request,
// as a raw "application/octet-stream" body or as a "multipart/form-data"
// body, and the receiver writes it into an upload folder.
//
//   TZQUploadSettings s;
//   s.Folder = "/srv/app/uploads/";
//   s.CanOverrideFile = false;
//   std::string stored = ZQReceiveUpload(request, s);  // throws EIWZQJQuery
//
// The body is read from the request's body source in chunks and written as
// it arrives; no upload sits whole in memory.
//
// File name. The name comes from the request field named InputName (form,
// then query), then from the header "X-File-Name" (percent-decoded), then
// from the file part's "filename" parameter. It is reduced to its base name
// (everything up to the last "/" or "\" and a drive prefix "X:" dropped);
// an empty name, ".", "..", and names with NUL or other control characters
// are refused. OnGetFileName may then change folder and name; the target's
// canonical path must still lie inside the folder.
//
// Size. A file longer than the cap (SizeLimit when above 0, else
// ZQUploadHostMaxBytes()) is refused while it streams; nothing is kept.
//
// Storing. The bytes go to a new temporary file (created with O_EXCL) in the
// target's folder, which is then renamed onto the target. Without
// CanOverrideFile the last step refuses to replace anything
// (renameat2 RENAME_NOREPLACE, or link() where that is not supported): of
// two requests racing for one name exactly one wins, the other gets the
// "already exists" error. Any failure deletes the temporary file and leaves
// an existing file as it was.
//
// Multipart. The body is split at its delimiters (the boundary may be
// quoted, the content type's parameters may come in any order); the file is
// the first part whose Content-Disposition has a filename parameter or whose
// name equals InputName. It ends at the CR LF before the next delimiter, and
// the body must close with the final delimiter.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace zq {

class THTTPRequest;
class THTTPReply;
class THTTPBodySource;

// The base name of a name sent by a browser; throws EIWZQJQuery
// "Invalid file name \"%s\"!" when nothing acceptable is left.
std::string ZQUploadBaseName(std::string_view AName);

// Folder + name as a lexically normal path, when it lies strictly inside
// the folder (after resolving the links that exist); throws EIWZQJQuery
// "Filename \"%s\" is outside the upload folder!" otherwise.
std::string ZQUploadTargetPath(const std::string& AFolder, const std::string& AFileName);

// The host's largest upload: the server controller's MaxUploadSize, or
// 64 MiB without a controller.
std::uint64_t ZQUploadHostMaxBytes();

// A file being received: a temporary file next to the target, renamed onto
// it by Commit. Destroyed without a commit, it deletes the temporary file.
class TZQUploadFile {
 public:
  // Creates the target's folder (with its parents) and the temporary file.
  // AFileName is the name the messages quote.
  TZQUploadFile(std::string ATarget, std::string AFileName, bool ACanOverride);
  ~TZQUploadFile();
  TZQUploadFile(const TZQUploadFile&) = delete;
  TZQUploadFile& operator=(const TZQUploadFile&) = delete;

  void Write(std::string_view AData);
  // Closes the file and moves it onto the target; throws EIWZQJQuery
  // (the "already exists" message without overriding).
  void Commit();
  const std::string& TempPath() const { return FTemp; }
  std::uint64_t Size() const { return FSize; }

 private:
  void Discard();

  std::string FTarget, FFileName, FTemp;
  bool FCanOverride;
  int FFd = -1;
  std::uint64_t FSize = 0;
};

struct TZQUploadSettings {
  std::string Folder;  // with or without a trailing "/"
  std::string InputName = "qqfile";
  std::uint64_t SizeLimit = 0;  // bytes; 0: ZQUploadHostMaxBytes()
  bool CanOverrideFile = false;
  // (folder in and out, file name in and out), before the first byte is written.
  std::function<void(std::string& APath, std::string& AFileName)> OnGetFileName;
};

struct TZQUploadResult {
  std::string FileName;  // as stored (after OnGetFileName)
  std::string Path;      // full path of the stored file
  std::uint64_t Size = 0;
};

// The upload content parser (see RegisterContentParser in host/http.h):
// claims a POST whose content type is exactly "application/octet-stream" and
// which names its file in an "X-File-Name" header, so that the server
// streams its body to the upload handler up to the upload limit. The library
// start-up registers it (framework/startup.h, slot UploadParser).
bool ZQIsRawUploadRequest(const THTTPRequest& ARequest);
void ZQUploadParserStartup();
void ZQUploadParserShutdown();
bool ZQUploadParserStarted();

// Receives the request's body as described above. Throws EIWZQJQuery with
// the message for the browser.
TZQUploadResult ZQReceiveUpload(THTTPRequest& ARequest, const TZQUploadSettings& ASettings);

// The same over a body source, for a body of the given content type, the
// name found so far (may be empty) and the declared length (nullopt:
// unknown).
TZQUploadResult ZQReceiveUploadBody(THTTPBodySource& ABody, std::string_view AContentType,
                                    std::string AFileName, const TZQUploadSettings& ASettings);

// Finds the file part of a multipart body and hands its bytes to AData;
// AOnFile is called with the part's filename parameter first (once). Throws
// EIWZQJQuery with the multipart messages. Used by ZQReceiveUploadBody.
void ZQUploadParseMultipart(THTTPBodySource& ABody, std::string_view ABoundary,
                            std::string_view AInputName,
                            const std::function<void(const std::string& AFileName)>& AOnFile,
                            const std::function<void(std::string_view AData)>& AData);

// The replies: {"success":true}, or {"success":false,"reason":"..."} (strict
// JSON), as "text/html" for Internet Explorer, else "application/json".
void ZQUploadReplySuccess(THTTPReply& AReply, bool AIsIE);
void ZQUploadReplyFailure(THTTPReply& AReply, const std::string& AReason, bool AIsIE);

}  // namespace zq
