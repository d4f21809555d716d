// The file download component: server code sends a file (or a stream it
// builds, or any URL) to the browser as a download without leaving the page,
// through the jquery.fileDownload plug-in.
//
//   dl->DownloadFileName("/srv/reports/q3.pdf", "Q3 report.pdf");  // in a callback
//
// DownloadFileName remembers the file under a one-time identifier (fid) and
// queues a call of the component's page function ZQDownload_<name>(fid); the
// page function has the plug-in fetch the component's URL of the action map
// (".../IWZQJQ/ID<map ID>ActionGetFile/?fid=<fid>"), and UrlHandler answers it
// with the file as an attachment, in chunks, and the cookie by which the
// plug-in learns that the download succeeded ("fileDownload=true" by default,
// sent with the headers, before the body).
//
// A fid is served once (a second request gets "Detected hacking attempt on
// file request!"), except from an Android browser that came without the
// cookie, which may fetch it again. Pending downloads never fetched are
// dropped after ZQDownloadPendingMaxAge, and at most ZQDownloadPendingMax are
// kept per component (the oldest go first).
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <istream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "actionmap/map.h"
#include "foundation/classinfo.h"
#include "foundation/delegate.h"
#include "foundation/format.h"
#include "framework/component.h"
#include "foundation/html.h"
#include "options/jsonobj.h"

namespace zq {

class TIWZQJQCustomDownload;
class TIWZQJSonFunc;

// ---------------------------------------------------------------- options

enum TIWZQJQDownloadOptionsHttpMethod { jqfdhmGET, jqfdhmPOST };
ZQ_ENUM_NAMES(TIWZQJQDownloadOptionsHttpMethod, "jqfdhmGET", "jqfdhmPOST")

// The plug-in's options. AlertOnFail is server side only: it adds an alert of
// the failure page to the end of failCallback.
class TIWZQJQDownloadOptions : public TIWZQJSon {
  ZQ_CLASS(TIWZQJQDownloadOptions, TIWZQJSon)
  explicit TIWZQJQDownloadOptions(TCollection* Collection = nullptr);

  enum : int {
    kPreparingMessageHtml,
    kFailMessageHtml,
    kAndroidPostUnsupportedMessageHtml,
    kOnSuccess,
    kOnFail,
    kHttpMethod,
    kData,
    kCheckInterval,
    kCookieName,
    kCookieValue,
    kCookiePath,
    kPopupWindowTitle,
    kEncodeHTMLEntities,
    kOnPrepareCallback,
    kAlertOnFail,
  };

  std::string GetPreparingMessageHtml() { return GetStringValue(kPreparingMessageHtml); }
  void SetPreparingMessageHtml(const std::string& v) { SetStringValue(kPreparingMessageHtml, v); }
  std::string GetFailMessageHtml() { return GetStringValue(kFailMessageHtml); }
  void SetFailMessageHtml(const std::string& v) { SetStringValue(kFailMessageHtml, v); }
  std::string GetAndroidPostUnsupportedMessageHtml() {
    return GetStringValue(kAndroidPostUnsupportedMessageHtml);
  }
  void SetAndroidPostUnsupportedMessageHtml(const std::string& v) {
    SetStringValue(kAndroidPostUnsupportedMessageHtml, v);
  }
  TIWZQJSonFunc* GetOnSuccess();
  TIWZQJSonFunc* GetOnFail();
  TIWZQJSonFunc* GetOnPrepareCallback();
  TIWZQJQDownloadOptionsHttpMethod GetHttpMethod() {
    return GetEnumerAs<TIWZQJQDownloadOptionsHttpMethod>(kHttpMethod);
  }
  void SetHttpMethod(TIWZQJQDownloadOptionsHttpMethod v) { SetEnumerAs(kHttpMethod, v); }
  TIWZQJSonDynObjList* GetData() { return GetDynObjListValue(kData); }
  int GetCheckInterval() { return GetIntegerValue(kCheckInterval); }
  void SetCheckInterval(int v) { SetIntegerValue(kCheckInterval, v); }
  std::string GetCookieName() { return GetStringValue(kCookieName); }
  void SetCookieName(const std::string& v) { SetStringValue(kCookieName, v); }
  std::string GetCookieValue() { return GetStringValue(kCookieValue); }
  void SetCookieValue(const std::string& v) { SetStringValue(kCookieValue, v); }
  std::string GetCookiePath() { return GetStringValue(kCookiePath); }
  void SetCookiePath(const std::string& v) { SetStringValue(kCookiePath, v); }
  std::string GetPopupWindowTitle() { return GetStringValue(kPopupWindowTitle); }
  void SetPopupWindowTitle(const std::string& v) { SetStringValue(kPopupWindowTitle, v); }
  bool GetEncodeHTMLEntities() { return GetBooleanValue(kEncodeHTMLEntities); }
  void SetEncodeHTMLEntities(bool v) { SetBooleanValue(kEncodeHTMLEntities, v); }
  bool GetAlertOnFail() { return GetBooleanValue(kAlertOnFail); }
  void SetAlertOnFail(bool v) { SetBooleanValue(kAlertOnFail, v); }

  // The component the options belong to, or none.
  TIWZQJQCustomDownload* GetJQDownload();

  std::string GetFixedScript(TObject* AFunc, bool& AFlag) override;
  bool JSonIdent() override;

 protected:
  void AddMembers() override;
};

// ---------------------------------------------------------------- pending downloads

enum TIWZQJQDownloadItemState { zqdisNew, zqdisMarkToRemove };

// Opens the content of a download made by the application (called when the
// browser fetches it, once per fetch).
using TZQDownloadStreamFactory = std::function<std::unique_ptr<std::istream>()>;

class TIWZQJQDownloadItem {
 public:
  std::string FUID;
  std::string FServerFileName;
  std::string FBrowserFileName;
  TIWZQJQDownloadItemState FState = zqdisNew;
  // Set for a stream download instead of a server file.
  TZQDownloadStreamFactory FStream;
  std::chrono::steady_clock::time_point FCreated = std::chrono::steady_clock::now();
};

// The pending downloads of a component, oldest first; owns its items.
class TIWZQJQDownloadList {
 public:
  int Count() const { return static_cast<int>(FItems.size()); }
  TIWZQJQDownloadItem* Items(int AIndex) const {
    return FItems.at(static_cast<std::size_t>(AIndex)).get();
  }
  TIWZQJQDownloadItem* Add(std::unique_ptr<TIWZQJQDownloadItem> AItem);
  // From the last item to the first, exact comparison; -1 when absent.
  int IndexOfUID(const std::string& AUID) const;
  TIWZQJQDownloadItem* GetItemByUID(const std::string& AUID) const;
  void Remove(const TIWZQJQDownloadItem* AItem);
  // Drops the items older than AMaxAge, then the oldest beyond AMaxCount.
  void Prune(std::chrono::steady_clock::time_point ANow,
             std::chrono::steady_clock::duration AMaxAge, std::size_t AMaxCount);

 private:
  std::vector<std::unique_ptr<TIWZQJQDownloadItem>> FItems;
};

// Bounds of the pending list (process-wide settings; defaults 15 minutes, 64).
extern std::chrono::seconds ZQDownloadPendingMaxAge;
extern std::size_t ZQDownloadPendingMax;

// ---------------------------------------------------------------- replies

// The streaming point of a download: hands the content to the reply to be
// sent in chunks of ZQDownloadChunkSize, with Content-Length when ASize is
// known. The reply owns the stream from then on.
void ZQSendReplyStream(THTTPReply& AReply, std::unique_ptr<std::istream> AStream,
                       std::optional<std::uint64_t> ASize);
extern std::size_t ZQDownloadChunkSize;  // default 256 KiB

// The Content-Disposition value for a file name: "attachment;filename=" with
// a quoted ASCII stand-in (every character outside printable ASCII, and
// quotes, backslashes, ";" and "%", become "_"), then
// ";filename*=UTF-8''" with the UTF-8 name percent-encoded, so that any name
// arrives intact and none can break the header.
std::string ZQContentDisposition(const std::string& AFileName);
// The part of a name after its last "/", "\" or ":".
std::string ZQDownloadFileNamePart(const std::string& AName);

// ---------------------------------------------------------------- component

// (Sender, file name, content type in and out).
using TIWZQJQDownloadGetContentTypeEvent =
    Delegate<void(TObject* Sender, const std::string& AFileName, std::string& AContentType)>;

// "jquery_ui/plugins/jquery.filedownload.js" with script debugging, else the ".min" form.
std::string JQFileDownloadJS();

class TIWZQJQCustomDownload : public TIWZQJQComponent {
  ZQ_CLASS(TIWZQJQCustomDownload, TIWZQJQComponent)
 public:
  explicit TIWZQJQCustomDownload(TComponent* AOwner);
  ~TIWZQJQCustomDownload() override;
  void AfterConstruction() override;

  std::string GetPluginVersion() const { return "v1.4.3"; }
  TIWZQJQDownloadOptions* GetJQDownloadOptions();
  void SetJQDownloadOptions(TIWZQJQDownloadOptions* AValue);
  TIWZQJQDownloadGetContentTypeEvent OnGetContentType;

  const std::string& GetMapID();
  const std::string& GetMapUrl() const { return FMapUrl; }
  // The page function's name: "ZQDownload_" + the jQuery HTML name.
  std::string GetDownloadFuncName() { return Format("%s_%s", "ZQDownload", GetJQHTMLName()); }

  // ---- script builders
  // Registers a pending download and returns "ZQDownload_NAME('<fid>');".
  std::string jsDownloadFileName(const std::string& AServerFilename,
                                 const std::string& ABrowserFileName);
  // The same for content the application builds: AOpen is called when the
  // browser fetches it.
  std::string jsDownloadStream(TZQDownloadStreamFactory AOpen, const std::string& ABrowserFileName);
  // "$.fileDownload(URL,{options});", empty for an empty URL.
  std::string jsDownloadUrl(const std::string& AUrl);

  // ---- queued operations
  void DownloadFileName(const std::string& AFilename, const std::string& ABrowserFileName);
  void DownloadStream(TZQDownloadStreamFactory AOpen, const std::string& ABrowserFileName);
  void DownloadUrl(const std::string& AUrl);

  // The map handler of action "GetFile".
  virtual void UrlHandler(const std::string& AAction, TStringList* AParams, THTTPRequest& ARequest,
                          THTTPReply& AResponse);
  virtual std::string DoFileNameToContentType(const std::string& AFileName);

  // The pending downloads (none before the first).
  TIWZQJQDownloadList* GetInternalMapFileList() const { return FInternalMapFileList.get(); }

  bool GetGenerateIWCLScript() override { return true; }
  void GetScriptLinks(TStringList& AList) override;
  std::string GetRenderScript() override;
  std::string GetDocumentationLink() override;

 private:
  TIWZQJQDownloadList& List();
  std::string OptionsJSon();
  TIWZQJQDownloadItem* AddItem(std::unique_ptr<TIWZQJQDownloadItem> AItem);

  std::string FMapID;
  std::string FMapUrl;
  Owned<TIWZQJQDownloadOptions> FJQDownloadOptions;
  std::unique_ptr<TIWZQJQDownloadList> FInternalMapFileList;
};

class TIWZQJQDownload : public TIWZQJQCustomDownload {
  ZQ_CLASS(TIWZQJQDownload, TIWZQJQCustomDownload)
 public:
  using TIWZQJQCustomDownload::TIWZQJQCustomDownload;
};

}  // namespace zq
