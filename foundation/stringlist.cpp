#include "foundation/stringlist.h"

#include <algorithm>
#include <cctype>

#include "foundation/asciicase.h"
#include "foundation/exception.h"
#include "foundation/format.h"
#include "foundation/properties.h"

namespace zq {

ZQ_IMPLEMENT_CLASS(TStringList) {}

namespace {
int CompareOrdinal(std::string_view a, std::string_view b) {
  int c = a.compare(b);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}
[[noreturn]] void SortedListError() { throw EListError("Operation not allowed on sorted list"); }
}  // namespace

TStringList::~TStringList() {
  OnChange = nullptr;
  OnChanging = nullptr;
  if (FOwnsObjects)
    for (auto& i : FList) FreeObject(i.Object);
}

void TStringList::FreeObject(TObject* o) {
  if (FOwnsObjects && o) Free(o);
}

void TStringList::CheckIndex(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError(Format("List index out of bounds (%d)", Index));
}

const std::string& TStringList::Strings(int Index) const {
  CheckIndex(Index);
  return FList[static_cast<std::size_t>(Index)].Text;
}

void TStringList::Put(int Index, const std::string& S) {
  if (FSorted) SortedListError();
  CheckIndex(Index);
  Changing();
  FList[static_cast<std::size_t>(Index)].Text = S;
  Changed();
}

TObject* TStringList::Objects(int Index) const {
  CheckIndex(Index);
  return FList[static_cast<std::size_t>(Index)].Object;
}

void TStringList::PutObject(int Index, TObject* AObject) {
  CheckIndex(Index);
  Changing();
  TObject*& slot = FList[static_cast<std::size_t>(Index)].Object;
  if (slot != AObject) FreeObject(slot);
  slot = AObject;
  Changed();
}

int TStringList::Add(const std::string& S) { return AddObject(S, nullptr); }

int TStringList::AddObject(const std::string& S, TObject* AObject) {
  int index = Count();
  if (FSorted && Find(S, index)) {
    switch (FDuplicates) {
      case dupIgnore:
        return index;
      case dupError:
        throw EListError("String list does not allow duplicates");
      case dupAccept:
        break;
    }
  }
  InsertItem(index, S, AObject);
  return index;
}

int TStringList::AddPair(const std::string& Name, const std::string& Value) {
  return Add(Name + FNameValueSeparator + Value);
}

void TStringList::AddStrings(const TStringList& Strings) {
  BeginUpdate();
  for (int i = 0; i < Strings.Count(); ++i) AddObject(Strings.Strings(i), FOwnsObjects ? nullptr : Strings.Objects(i));
  EndUpdate();
}

void TStringList::Insert(int Index, const std::string& S) { InsertObject(Index, S, nullptr); }

void TStringList::InsertObject(int Index, const std::string& S, TObject* AObject) {
  if (FSorted) SortedListError();
  if (Index < 0 || Index > Count()) throw EListError(Format("List index out of bounds (%d)", Index));
  InsertItem(Index, S, AObject);
}

void TStringList::InsertItem(int Index, const std::string& S, TObject* AObject) {
  Changing();
  FList.insert(FList.begin() + Index, Item{S, AObject});
  Changed();
}

void TStringList::Delete(int Index) {
  CheckIndex(Index);
  Changing();
  TObject* o = FList[static_cast<std::size_t>(Index)].Object;
  FList.erase(FList.begin() + Index);
  FreeObject(o);
  Changed();
}

void TStringList::Clear() {
  if (FList.empty()) return;
  Changing();
  std::vector<Item> old;
  old.swap(FList);
  for (auto& i : old) FreeObject(i.Object);
  Changed();
}

void TStringList::Exchange(int Index1, int Index2) {
  CheckIndex(Index1);
  CheckIndex(Index2);
  Changing();
  std::swap(FList[static_cast<std::size_t>(Index1)], FList[static_cast<std::size_t>(Index2)]);
  Changed();
}

void TStringList::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  CheckIndex(CurIndex);
  CheckIndex(NewIndex);
  if (FSorted) SortedListError();
  Changing();
  Item it = std::move(FList[static_cast<std::size_t>(CurIndex)]);
  FList.erase(FList.begin() + CurIndex);
  FList.insert(FList.begin() + NewIndex, std::move(it));
  Changed();
}

int TStringList::CompareStrings(std::string_view S1, std::string_view S2) const {
  return FCaseSensitive ? CompareOrdinal(S1, S2) : CompareTextAscii(S1, S2);
}

int TStringList::IndexOf(std::string_view S) const {
  if (FSorted) {
    int i = 0;
    return Find(S, i) ? i : -1;
  }
  for (std::size_t i = 0; i < FList.size(); ++i)
    if (CompareStrings(FList[i].Text, S) == 0) return static_cast<int>(i);
  return -1;
}

int TStringList::IndexOfObject(const TObject* AObject) const {
  for (std::size_t i = 0; i < FList.size(); ++i)
    if (FList[i].Object == AObject) return static_cast<int>(i);
  return -1;
}

bool TStringList::Find(std::string_view S, int& Index) const {
  // Lower bound: the first line not less than S.
  int lo = 0, hi = Count();
  while (lo < hi) {
    int mid = lo + (hi - lo) / 2;
    if (CompareStrings(FList[static_cast<std::size_t>(mid)].Text, S) < 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  Index = lo;
  return lo < Count() && CompareStrings(FList[static_cast<std::size_t>(lo)].Text, S) == 0;
}

std::string TStringList::Names(int Index) const {
  const std::string& s = Strings(Index);
  std::size_t p = s.find(FNameValueSeparator);
  return p == std::string::npos ? std::string() : s.substr(0, p);
}

int TStringList::IndexOfName(std::string_view Name) const {
  for (std::size_t i = 0; i < FList.size(); ++i) {
    const std::string& s = FList[i].Text;
    std::size_t p = s.find(FNameValueSeparator);
    if (p != std::string::npos && CompareStrings(std::string_view(s).substr(0, p), Name) == 0)
      return static_cast<int>(i);
  }
  return -1;
}

std::string TStringList::Values(std::string_view Name) const {
  int i = IndexOfName(Name);
  return i < 0 ? std::string() : ValueFromIndex(i);
}

std::string TStringList::ValueFromIndex(int Index) const {
  const std::string& s = Strings(Index);
  std::size_t p = s.find(FNameValueSeparator);
  return p == std::string::npos ? std::string() : s.substr(p + 1);
}

void TStringList::SetValue(std::string_view Name, const std::string& Value) {
  int i = IndexOfName(Name);
  if (Value.empty()) {
    if (i >= 0) Delete(i);
    return;
  }
  std::string line = std::string(Name) + FNameValueSeparator + Value;
  if (i < 0) {
    Add(line);
  } else if (FSorted) {
    BeginUpdate();
    TObject* o = FList[static_cast<std::size_t>(i)].Object;
    FList[static_cast<std::size_t>(i)].Object = nullptr;
    Delete(i);
    AddObject(line, o);
    EndUpdate();
  } else {
    Put(i, line);
  }
}

void TStringList::SetValueFromIndex(int Index, const std::string& Value) {
  if (Value.empty()) {
    if (Index >= 0) Delete(Index);
    return;
  }
  if (Index < 0) {
    Add(std::string(1, FNameValueSeparator) + Value);
    return;
  }
  std::string name = Names(Index);
  if (FSorted) {
    Delete(Index);
    Add(name + FNameValueSeparator + Value);
  } else {
    Put(Index, name + FNameValueSeparator + Value);
  }
}

std::string TStringList::Text() const {
  std::string r;
  for (const auto& i : FList) {
    r += i.Text;
    r += FLineBreak;
  }
  return r;
}

void TStringList::SetText(std::string_view Value) {
  BeginUpdate();
  Clear();
  std::size_t pos = 0;
  while (pos < Value.size()) {
    std::size_t e = Value.find_first_of("\r\n", pos);
    if (e == std::string_view::npos) {
      Add(std::string(Value.substr(pos)));
      break;
    }
    Add(std::string(Value.substr(pos, e - pos)));
    pos = e + ((Value[e] == '\r' && e + 1 < Value.size() && Value[e + 1] == '\n') ? 2 : 1);
  }
  EndUpdate();
}

std::string TStringList::DelimitedText() const {
  if (Count() == 1 && FList[0].Text.empty() && FQuoteChar) return std::string(2, FQuoteChar);
  std::string r;
  for (std::size_t n = 0; n < FList.size(); ++n) {
    const std::string& s = FList[n].Text;
    bool quote = false;
    if (FQuoteChar) {
      for (char ch : s) {
        auto u = static_cast<unsigned char>(ch);
        if (ch == FQuoteChar || ch == FDelimiter || (!FStrictDelimiter && u <= ' ')) {
          quote = true;
          break;
        }
      }
    }
    if (n) r += FDelimiter;
    if (quote) {
      r += FQuoteChar;
      for (char ch : s) {
        if (ch == FQuoteChar) r += FQuoteChar;
        r += ch;
      }
      r += FQuoteChar;
    } else {
      r += s;
    }
  }
  return r;
}

void TStringList::SetDelimitedText(std::string_view Value) {
  BeginUpdate();
  Clear();
  std::size_t p = 0, n = Value.size();
  auto blank = [&](std::size_t i) { return i < n && static_cast<unsigned char>(Value[i]) <= ' ' && Value[i] != '\0'; };
  if (!FStrictDelimiter)
    while (blank(p)) ++p;
  while (p < n) {
    std::string s;
    if (FQuoteChar && Value[p] == FQuoteChar) {
      ++p;
      while (p < n) {
        if (Value[p] == FQuoteChar) {
          if (p + 1 < n && Value[p + 1] == FQuoteChar) {
            s += FQuoteChar;
            p += 2;
            continue;
          }
          ++p;
          break;
        }
        s += Value[p++];
      }
    } else {
      std::size_t b = p;
      while (p < n && Value[p] != FDelimiter && (FStrictDelimiter || static_cast<unsigned char>(Value[p]) > ' ')) ++p;
      s.assign(Value.substr(b, p - b));
    }
    Add(s);
    if (!FStrictDelimiter)
      while (blank(p)) ++p;
    if (p < n && Value[p] == FDelimiter) {
      ++p;
      if (p == n) Add(std::string());
      if (!FStrictDelimiter)
        while (blank(p)) ++p;
    } else if (p < n && FStrictDelimiter) {
      // Text after a closing quote up to the next delimiter is dropped.
      while (p < n && Value[p] != FDelimiter) ++p;
    }
  }
  EndUpdate();
}

std::string TStringList::CommaText() const {
  TStringList tmp;
  tmp.FList = FList;
  return tmp.DelimitedText();
}

void TStringList::SetCommaText(std::string_view Value) {
  char d = FDelimiter, q = FQuoteChar;
  bool strict = FStrictDelimiter;
  FDelimiter = ',';
  FQuoteChar = '"';
  FStrictDelimiter = false;
  try {
    SetDelimitedText(Value);
  } catch (...) {
    FDelimiter = d, FQuoteChar = q, FStrictDelimiter = strict;
    throw;
  }
  FDelimiter = d, FQuoteChar = q, FStrictDelimiter = strict;
}

void TStringList::SetSorted(bool Value) {
  if (FSorted == Value) return;
  if (Value) Sort();
  FSorted = Value;
}

void TStringList::SetCaseSensitive(bool Value) {
  if (FCaseSensitive == Value) return;
  FCaseSensitive = Value;
  if (FSorted) Sort();
}

void TStringList::SortBy(const std::function<bool(const Item&, const Item&)>& less) {
  Changing();
  std::stable_sort(FList.begin(), FList.end(), less);
  Changed();
}

void TStringList::Sort() {
  SortBy([this](const Item& a, const Item& b) { return CompareStrings(a.Text, b.Text) < 0; });
}

void TStringList::CustomSort(TStringListSortCompare Compare) {
  // The comparer works on indexes: sort a permutation, then apply it.
  std::vector<int> order(FList.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return Compare(this, a, b) < 0; });
  Changing();
  std::vector<Item> sorted;
  sorted.reserve(FList.size());
  for (int i : order) sorted.push_back(std::move(FList[static_cast<std::size_t>(i)]));
  FList.swap(sorted);
  Changed();
}

void TStringList::BeginUpdate() {
  if (FUpdateCount == 0) Changing();
  ++FUpdateCount;
}

void TStringList::EndUpdate() {
  if (FUpdateCount == 0) return;
  if (--FUpdateCount == 0) Changed();
}

void TStringList::Changed() {
  if (FUpdateCount == 0 && OnChange) OnChange(this);
}

void TStringList::Changing() {
  if (FUpdateCount == 0 && OnChanging) OnChanging(this);
}

void TStringList::Assign(const TPersistent* Source) {
  const auto* src = dynamic_cast<const TStringList*>(Source);
  if (!src) {
    TPersistent::Assign(Source);
    return;
  }
  if (src == this) return;
  BeginUpdate();
  Clear();
  FNameValueSeparator = src->FNameValueSeparator;
  FQuoteChar = src->FQuoteChar;
  FDelimiter = src->FDelimiter;
  FLineBreak = src->FLineBreak;
  FStrictDelimiter = src->FStrictDelimiter;
  FCaseSensitive = src->FCaseSensitive;
  FDuplicates = src->FDuplicates;
  FSorted = src->FSorted;
  for (const auto& i : src->FList) FList.push_back(Item{i.Text, FOwnsObjects ? nullptr : i.Object});
  EndUpdate();
}

bool TStringList::Equals(const TStringList& Other) const {
  if (Count() != Other.Count()) return false;
  for (std::size_t i = 0; i < FList.size(); ++i)
    if (FList[i].Text != Other.FList[i].Text) return false;
  return true;
}

std::vector<std::string> TStringList::ToVector() const {
  std::vector<std::string> r;
  r.reserve(FList.size());
  for (const auto& i : FList) r.push_back(i.Text);
  return r;
}

}  // namespace zq
