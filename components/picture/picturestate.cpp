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

#include "actionmap/map.h"
#include "components/picture/picture.h"
#include "foundation/format.h"
#include "foundation/jqcommon.h"
#include "foundation/stringlist.h"
#include "framework/startup.h"
#include "host/application.h"
#include "host/http.h"
#include "host/servercontroller.h"
#include "host/zqhelpers.h"

namespace zq {

namespace fs = std::filesystem;

namespace {

bool PlainName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of(std::string("/\\\0", 3)) == std::string::npos;
}

std::string CacheFolderOf(const TIWServerController& c) {
  std::string dir = c.CacheDir;
  if (!dir.empty() && dir.back() != '/') dir += '/';
  return dir;
}

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
  auto handler = std::make_shared<TZQPictureSaveHandler>(std::move(AHandler));
  TIWZQJQMapEvent event(handler.get(), [handler](const std::string& AAction, TStringList* AParams,
                                                 THTTPRequest& ARequest, THTTPReply& AReply) {
    (*handler)(AAction, AParams, &ARequest, &AReply);
  });
  return AddZQJQMapEvent(AMapID, ZQSaveImageAction, AppID, event, mrtError);
}

void ZQPictureRemoveSaveEntry(const std::string& AMapID) {
  DelZQJQMapEvent(AMapID, ZQSaveImageAction);
}

bool ZQPictureHasSaveEntry(const std::string& AMapID) {
  return ZQFindMapEvent(AMapID, ZQSaveImageAction) != nullptr;
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
  gHandlers.push_back(AController.Handlers().Add(
      "/imgcache/", "", std::make_unique<TZQImageCacheHandler>(&AController)));
  gHandlers.push_back(AController.Handlers().Add(
      "/userimgcache/", "", std::make_unique<TZQImageCacheHandler>(&AController)));
  gSessionHook =
      RegisterSessionEndHook([](TIWApplication& app) { ZQRemoveSessionImageCache(app.AppID()); });
}

namespace {

// The library start-up (framework/startup.h) starts the cache with the
// controller it is given; filled when this unit is linked in.
[[maybe_unused]] const bool gStartupSlotFilled = [] {
  ZQSetStartupSlot(TZQStartupSlot::ImageCache,
                   {nullptr, &ZQPictureShutdown,
                    [](TIWServerController& AController) { ZQPictureStartup(AController); }});
  return true;
}();

}  // namespace

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
