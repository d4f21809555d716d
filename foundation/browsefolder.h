// ZQBrowseFolder: walks the entries of a folder that match a file mask and an
// attribute filter, calling back for each and descending into directories the
// callback accepts. Symbolic links are reported but never followed, so a link
// that points back up the tree cannot make the walk endless.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "foundation/datetime.h"

namespace zq {

// Attribute bits of directory entries.
enum : int {
  faReadOnly = 0x01,
  faHidden = 0x02,  // name begins with "."
  faSysFile = 0x04,
  faVolumeID = 0x08,
  faDirectory = 0x10,
  faArchive = 0x20,
  faNormal = 0x80,
  faSymLink = 0x400,
  faAnyFile = 0x5FF,
};

struct TSearchRec {
  std::string Name;
  int Attr = 0;
  std::int64_t Size = 0;
  TDateTime Time;  // last modification, local time
};

// Called with the sub-folder (relative to the root; "" at the top level), the
// entry and the caller's data; returning true for a directory lets a
// recursive walk descend into it.
using TZQBrowseFolderFunc = std::function<bool(const std::string& ASubFolder, const TSearchRec& F, void* AData)>;

// Lists the entries of ARootFolder joined with ASubFolder whose names match
// AFileMask ("*" and "?"; "*.*" matches every name) and whose special
// attributes (directory, hidden, system) are all in AAttr; plain files always
// qualify. Directories whose name begins with "." are skipped. Entries come
// in name order. Returns the number of entries passed to the callback.
int ZQBrowseFolder(const std::string& ARootFolder, const std::string& AFileMask, int AAttr,
                   const std::string& ASubFolder, const TZQBrowseFolderFunc& ACallback, bool ARecursive,
                   void* AData);
inline int ZQBrowseFolder(const std::string& ARootFolder, const std::string& AFileMask, int AAttr,
                          const std::string& ASubFolder, const TZQBrowseFolderFunc& ACallback, bool ARecursive) {
  return ZQBrowseFolder(ARootFolder, AFileMask, AAttr, ASubFolder, ACallback, ARecursive, nullptr);
}

// Wildcard match of a file name ("*", "?"; case-sensitive like the file system).
bool ZQMatchesMask(const std::string& Name, const std::string& Mask);

}  // namespace zq
