#include "components/picture/picturestate.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>

#include "components/picture/picture.h"
#include "foundation/format.h"
#include "foundation/jqcommon.h"
#include "foundation/stringlist.h"
#include "host/application.h"
#include "host/http.h"
#include "host/servercontroller.h"
#include "host/zqhelpers.h"

namespace zq {

namespace fs = std::filesystem;

namespace {

struct TSaveEntry {
  std::string AppID;
  std::shared_ptr<TZQPictureSaveHandler> Handler;
};

std::mutex gEntriesLock;
std::map<std::string, TSaveEntry> gEntries;

bool LookupEntry(const std::string& id, TSaveEntry& out) {
  std::lock_guard<std::mutex> g(gEntriesLock);
  auto it = gEntries.find(id);
  if (it == gEntries.end()) return false;
  out = it->second;
  return true;
}

bool PlainName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of(std::string("/\\\0", 3)) == std::string::npos;
}

std::string CacheFolderOf(const TIWServerController& c) {
  std::string dir = c.CacheDir;
  if (!dir.empty() && dir.back() != '/') dir += '/';
  return dir;
}

// Serves the save entries of picture holders: "/IWZQJQ/ID<map ID>Action<action>".
// Requests for other entries are left to the other handlers of the prefix.
class TZQPictureSaveResponder : public TContentBase {
 public:
  bool Execute(THTTPRequest& ARequest, THTTPReply& AReply, const std::string& APathName,
               TIWApplication* ASession) override {
    static const std::string kPrefix = "/IWZQJQ/ID";
    std::string_view p = APathName;
    if (p.substr(0, kPrefix.size()) != kPrefix) return false;
    p.remove_prefix(kPrefix.size());
    const std::size_t idLen = static_cast<std::size_t>(ZQGUIDHTMLMapIDLen());
    if (p.size() < idLen + 6 || p.substr(idLen, 6) != "Action") return false;
    std::string id(p.substr(0, idLen));
    std::string action(p.substr(idLen + 6));
    if (!action.empty() && action.back() == '/') action.pop_back();
    if (action != ZQSaveImageAction) return false;
    TSaveEntry entry;
    if (!LookupEntry(id, entry)) return false;
    try {
      if (!ASession || ASession->AppID() != entry.AppID)
        throw EIWZQJQuery(Format(
            "Mapping Session different from Item Event Session for the action \"%s\"!", action));
      ASession->Lock();
      struct TUnlock {
        TIWApplication* app;
        ~TUnlock() { app->Unlock(); }
      } unlock{ASession};
      // Looked up again under the session lock: the holder may have gone.
      if (!LookupEntry(id, entry))
        throw EIWZQJQuery(Format(
            "Browser is requesting the action \"%s\" for a control no longer existant!", action));
      TStringList params;
      ZQGetRequestList(ARequest, params, true);
      (*entry.Handler)(action, &params, &ARequest, &AReply);
    } catch (const EAbort&) {
      AReply = THTTPReply();
      AReply.SetCode(200);
      AReply.SetContentType("application/json");
      AReply.SetBody("{\"success\":true}");
    } catch (const Exception& e) {
      AReply = THTTPReply();
      SetErrorReply(AReply, 500, e.what());
    }
    return true;
  }
};

// Serves the files of the cache folders: "/imgcache/<name>" to everyone,
// "/userimgcache/<AppID>/<name>" only to that session.
class TZQImageCacheHandler : public TContentBase {
 public:
  explicit TZQImageCacheHandler(TIWServerController* c) : controller_(c) {}
  bool Execute(THTTPRequest& ARequest, THTTPReply& AReply, const std::string& APathName,
               TIWApplication* ASession) override {
    if (ARequest.Method != "GET" && ARequest.Method != "HEAD") return false;
    std::string_view p = APathName;
    std::string rel;
    if (p.substr(0, 10) == "/imgcache/") {
      std::string_view name = p.substr(10);
      if (!PlainName(name) || name[0] == '.') return false;
      rel = "imgcache/" + std::string(name);
    } else if (p.substr(0, 14) == "/userimgcache/") {
      std::string_view rest = p.substr(14);
      std::size_t slash = rest.find('/');
      if (slash == std::string_view::npos) return false;
      std::string_view app = rest.substr(0, slash), name = rest.substr(slash + 1);
      if (!PlainName(app) || !PlainName(name) || name[0] == '.') return false;
      if (!ASession || ASession->AppID() != app) return false;  // another session's images
      rel = "userimgcache/" + std::string(app) + "/" + std::string(name);
    } else {
      return false;
    }
    std::string file = CacheFolderOf(*controller_) + rel;
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(file, ec)) || !fs::is_regular_file(file, ec))
      return false;
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // The type by the content: cache names may end in ".tmp".
    std::string ext = ZQGraphicKindExt(ZQGraphicKindOfData(data));
    std::string type = controller_->MimeTypes().TypeOf(ext.empty() ? file : "x." + ext);
    AReply.SetCode(200);
    AReply.SetContentType(type);
    AReply.SetHeader("Cache-Control", "no-cache");
    AReply.SetHeader("X-Content-Type-Options", "nosniff");
    if (ARequest.Method != "HEAD") AReply.SetBody(std::move(data));
    return true;
  }

 private:
  TIWServerController* controller_;
};

std::mutex gStateLock;
TIWServerController* gController = nullptr;
std::vector<TContentBase*> gHandlers;
int gSessionHook = -1;

}  // namespace

std::string ZQPictureAddSaveEntry(const std::string& AMapID, const std::string& AppID,
                                  TZQPictureSaveHandler AHandler) {
  {
    std::lock_guard<std::mutex> g(gEntriesLock);
    gEntries[AMapID] =
        TSaveEntry{AppID, std::make_shared<TZQPictureSaveHandler>(std::move(AHandler))};
  }
  std::string base = gServerController ? gServerController->URLBase : std::string();
  if (!base.empty() && base.back() == '/') base.pop_back();
  return base + ZQGetScriptName() + "/IWZQJQ/ID" + AMapID + "Action" + ZQSaveImageAction;
}

void ZQPictureRemoveSaveEntry(const std::string& AMapID) {
  std::lock_guard<std::mutex> g(gEntriesLock);
  gEntries.erase(AMapID);
}

bool ZQPictureHasSaveEntry(const std::string& AMapID) {
  std::lock_guard<std::mutex> g(gEntriesLock);
  return gEntries.count(AMapID) != 0;
}

void ZQWriteConfined(const std::string& AFolder, const std::string& AFileName,
                     std::string_view ABytes) {
  if (!PlainName(AFileName)) throw EIWZQJQuery(Format("Invalid file name: \"%s\"!", AFileName));
  std::error_code ec;
  fs::path folder = fs::canonical(AFolder.empty() ? std::string(".") : AFolder, ec);
  if (ec || !fs::is_directory(folder, ec))
    throw EIWZQJQuery(Format("Folder not found: \"%s\"!", AFolder));
  int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (dir < 0) throw EIWZQJQuery(Format("Folder not found: \"%s\"!", AFolder));
  static std::atomic<unsigned> serial{0};
  std::string tmp =
      Format(".%s.%d.%d.tmp", AFileName, static_cast<int>(::getpid()), static_cast<int>(++serial));
  int fd = ::openat(dir, tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  bool ok = fd >= 0;
  const char* p = ABytes.data();
  std::size_t left = ABytes.size();
  while (ok && left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n <= 0)
      ok = false;
    else
      p += n, left -= static_cast<std::size_t>(n);
  }
  if (fd >= 0 && ::close(fd) != 0) ok = false;
  // rename replaces whatever has the name (a symbolic link too) without following it
  if (ok && ::renameat(dir, tmp.c_str(), dir, AFileName.c_str()) != 0) ok = false;
  if (!ok && fd >= 0) ::unlinkat(dir, tmp.c_str(), 0);
  ::close(dir);
  if (!ok) throw EIWZQJQuery(Format("Cannot write file \"%s\"!", AFileName));
}

void ZQRemoveSessionImageCache(const std::string& AppID) {
  if (!PlainName(AppID)) return;
  std::string root = ZQUserCacheRoot();
  if (root.empty()) {
    std::lock_guard<std::mutex> g(gStateLock);
    if (!gController) return;
    root = CacheFolderOf(*gController) + "userimgcache/";
  }
  std::error_code ec;
  fs::remove_all(fs::path(root) / AppID, ec);  // symbolic links are removed, not followed
}

void ZQPictureStartup(TIWServerController& AController) {
  std::lock_guard<std::mutex> g(gStateLock);
  if (gController) return;
  gController = &AController;
  AController.MimeTypes().Register(".bmp", "image/bmp");
  gHandlers.push_back(
      AController.Handlers().Add("/IWZQJQ/", "", std::make_unique<TZQPictureSaveResponder>()));
  gHandlers.push_back(AController.Handlers().Add(
      "/imgcache/", "", std::make_unique<TZQImageCacheHandler>(&AController)));
  gHandlers.push_back(AController.Handlers().Add(
      "/userimgcache/", "", std::make_unique<TZQImageCacheHandler>(&AController)));
  gSessionHook =
      RegisterSessionEndHook([](TIWApplication& app) { ZQRemoveSessionImageCache(app.AppID()); });
}

void ZQPictureShutdown() {
  {
    std::lock_guard<std::mutex> g(gStateLock);
    if (gController) {
      for (TContentBase* h : gHandlers) gController->Handlers().Remove(h);
      gHandlers.clear();
      UnregisterSessionEndHook(gSessionHook);
      gSessionHook = -1;
      gController = nullptr;
    }
  }
  std::string root = ZQUserCacheRoot();
  if (root.empty()) return;
  std::error_code ec;
  for (fs::directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code rec;
    fs::remove_all(it->path(), rec);
  }
}

}  // namespace zq
