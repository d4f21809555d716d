// TIWZQJScript: generated script as a list of lines. The text joins the lines
// with CR LF when the host's script-debug switch is on (readable, one
// statement per line) and with one space otherwise; every line, the last one
// too, is followed by its separator.
#pragma once

#include <string>
#include <string_view>

#include "foundation/format.h"
#include "foundation/stringlist.h"

namespace zq {

class TIWZQJScript : public TStringList {
  ZQ_CLASS(TIWZQJScript, TStringList)
  using TStringList::TStringList;

  template <class... A>
  int AddF(std::string_view AFormat, const A&... args) {
    return Add(Format(AFormat, args...));
  }
  template <class... A>
  void InsertF(int AIndex, std::string_view AFormat, const A&... args) {
    Insert(AIndex, Format(AFormat, args...));
  }
  // Appends text to line AIndex (-1: the last line); nothing on an empty list.
  void ConcatLine(std::string_view AText, int AIndex = -1);

  // The lines joined by the host's rule (see above).
  std::string GetJoined() const;
  // The lines joined with an explicit separator choice.
  std::string GetJoined(bool ADebug) const;
};

}  // namespace zq
