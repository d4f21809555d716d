#include "foundation/browsefolder.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <vector>

namespace zq {

namespace fs = std::filesystem;

bool ZQMatchesMask(const std::string& Name, const std::string& Mask) {
  if (Mask.empty() || Mask == "*" || Mask == "*.*") return true;
  // Iterative wildcard match with backtracking to the last "*".
  std::size_t n = 0, m = 0, starM = std::string::npos, starN = 0;
  while (n < Name.size()) {
    if (m < Mask.size() && (Mask[m] == '?' || Mask[m] == Name[n])) {
      ++n, ++m;
    } else if (m < Mask.size() && Mask[m] == '*') {
      starM = m++;
      starN = n;
    } else if (starM != std::string::npos) {
      m = starM + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (m < Mask.size() && Mask[m] == '*') ++m;
  return m == Mask.size();
}

namespace {

std::string WithDelimiter(std::string path) {
  if (!path.empty() && path.back() != '/') path += '/';
  return path;
}

bool ReadEntry(const std::string& folder, const std::string& name, TSearchRec& rec) {
  std::string path = folder + name;
  struct stat ls {};
  if (::lstat(path.c_str(), &ls) != 0) return false;
  rec = TSearchRec();
  rec.Name = name;
  bool link = S_ISLNK(ls.st_mode);
  struct stat st = ls;
  if (link && ::stat(path.c_str(), &st) != 0) st = ls;  // dangling link: the link itself
  if (link) rec.Attr |= faSymLink;
  if (S_ISDIR(st.st_mode)) rec.Attr |= faDirectory;
  if (!S_ISDIR(st.st_mode) && !S_ISREG(st.st_mode) && !link) rec.Attr |= faSysFile;
  if (!name.empty() && name[0] == '.') rec.Attr |= faHidden;
  if ((st.st_mode & 0222) == 0) rec.Attr |= faReadOnly;
  if (rec.Attr == 0) rec.Attr = faNormal;
  rec.Size = S_ISREG(st.st_mode) ? static_cast<std::int64_t>(st.st_size) : 0;
  rec.Time = UTCToLocal(UnixMsToDateTime(static_cast<std::int64_t>(st.st_mtime) * 1000));
  return true;
}

int Walk(const std::string& root, const std::string& mask, int attr, const std::string& sub,
         const TZQBrowseFolderFunc& callback, bool recursive, void* data) {
  std::string folder = WithDelimiter(root);
  if (!sub.empty()) folder = WithDelimiter(folder + sub);
  std::error_code ec;
  std::vector<std::string> names;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
    names.push_back(it->path().filename().string());
  std::sort(names.begin(), names.end());
  // Entries whose special attributes are not asked for are left out.
  const int exclude = ~attr & (faHidden | faSysFile | faVolumeID | faDirectory);
  int count = 0;
  for (const std::string& name : names) {
    TSearchRec rec;
    if (!ReadEntry(folder, name, rec)) continue;
    bool isDir = rec.Attr & faDirectory;
    if (isDir && name[0] == '.') continue;
    if ((rec.Attr & exclude) != 0 || !ZQMatchesMask(name, mask)) continue;
    ++count;
    bool descend = callback(sub, rec, data);
    if (descend && recursive && isDir && !(rec.Attr & faSymLink))
      count += Walk(root, mask, attr, sub.empty() ? name : sub + "/" + name, callback, recursive, data);
  }
  return count;
}

}  // namespace

int ZQBrowseFolder(const std::string& ARootFolder, const std::string& AFileMask, int AAttr,
                   const std::string& ASubFolder, const TZQBrowseFolderFunc& ACallback, bool ARecursive,
                   void* AData) {
  if (!ACallback) return 0;
  return Walk(ARootFolder, AFileMask, AAttr, ASubFolder, ACallback, ARecursive, AData);
}

}  // namespace zq
