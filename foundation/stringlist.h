// TStringList: a list of text lines, each with an optional object pointer.
//
// - name=value access: Names(i), Values(name) (first match), ValueFromIndex,
//   IndexOfName, with NameValueSeparator (default '='); setting a value to ""
//   removes the line.
// - optional sorting (Sorted) with a duplicates rule, case sensitivity.
// - Text joins the lines with LineBreak ("\r\n") and splits on CR LF, LF or CR.
// - DelimitedText / CommaText with Delimiter, QuoteChar and StrictDelimiter.
// Objects are not owned unless OwnsObjects is set.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/delegate.h"
#include "foundation/object.h"

namespace zq {

enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStringList;
using TStringListSortCompare = int (*)(TStringList* List, int Index1, int Index2);

class TStringList : public TPersistent {
  ZQ_CLASS(TStringList, TPersistent)

  TStringList() = default;
  explicit TStringList(bool OwnsObjects) : FOwnsObjects(OwnsObjects) {}
  ~TStringList() override;

  int Count() const { return static_cast<int>(FList.size()); }
  const std::string& Strings(int Index) const;
  std::string Get(int Index) const { return Strings(Index); }
  virtual void Put(int Index, const std::string& S);
  TObject* Objects(int Index) const;
  void PutObject(int Index, TObject* AObject);
  const std::string& operator[](int Index) const { return Strings(Index); }

  // Returns the index of the new line (its sorted place when Sorted; for an
  // ignored duplicate, the index of the line already there).
  virtual int Add(const std::string& S);
  int AddObject(const std::string& S, TObject* AObject);
  int AddPair(const std::string& Name, const std::string& Value);
  void AddStrings(const TStringList& Strings);
  virtual void Insert(int Index, const std::string& S);
  void InsertObject(int Index, const std::string& S, TObject* AObject);
  virtual void Delete(int Index);
  virtual void Clear();
  void Exchange(int Index1, int Index2);
  void Move(int CurIndex, int NewIndex);
  int IndexOf(std::string_view S) const;
  int IndexOfObject(const TObject* AObject) const;
  // Binary search in a sorted list: whether S is present; Index receives its
  // position or where it would be inserted.
  bool Find(std::string_view S, int& Index) const;

  // name=value lines
  std::string Names(int Index) const;
  std::string Values(std::string_view Name) const;
  void SetValue(std::string_view Name, const std::string& Value);
  std::string ValueFromIndex(int Index) const;
  void SetValueFromIndex(int Index, const std::string& Value);
  int IndexOfName(std::string_view Name) const;
  char NameValueSeparator() const { return FNameValueSeparator; }
  void SetNameValueSeparator(char c) { FNameValueSeparator = c; }

  // Whole-list forms
  std::string Text() const;
  virtual void SetText(std::string_view Value);
  std::string DelimitedText() const;
  void SetDelimitedText(std::string_view Value);
  std::string CommaText() const;
  void SetCommaText(std::string_view Value);
  char Delimiter() const { return FDelimiter; }
  void SetDelimiter(char c) { FDelimiter = c; }
  // '\0': no quoting.
  char QuoteChar() const { return FQuoteChar; }
  void SetQuoteChar(char c) { FQuoteChar = c; }
  bool StrictDelimiter() const { return FStrictDelimiter; }
  void SetStrictDelimiter(bool v) { FStrictDelimiter = v; }
  const std::string& LineBreak() const { return FLineBreak; }
  void SetLineBreak(std::string v) { FLineBreak = std::move(v); }

  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value);
  TDuplicates Duplicates() const { return FDuplicates; }
  void SetDuplicates(TDuplicates Value) { FDuplicates = Value; }
  bool CaseSensitive() const { return FCaseSensitive; }
  void SetCaseSensitive(bool Value);
  bool OwnsObjects() const { return FOwnsObjects; }
  void SetOwnsObjects(bool Value) { FOwnsObjects = Value; }
  virtual void Sort();
  virtual void CustomSort(TStringListSortCompare Compare);
  // Compares two texts by the list's case rule (ordinal when case-sensitive).
  virtual int CompareStrings(std::string_view S1, std::string_view S2) const;

  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }
  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

  // Copies lines, objects and the text settings of another string list. A
  // list that owns its objects takes the lines without their objects.
  void Assign(const TPersistent* Source) override;
  bool Equals(const TStringList& Other) const;
  std::vector<std::string> ToVector() const;

 protected:
  virtual void Changed();
  virtual void Changing();
  void InsertItem(int Index, const std::string& S, TObject* AObject);
  void CheckIndex(int Index) const;

 private:
  struct Item {
    std::string Text;
    TObject* Object = nullptr;
  };
  void FreeObject(TObject* o);
  void SortBy(const std::function<bool(const Item&, const Item&)>& less);

  std::vector<Item> FList;
  bool FSorted = false;
  TDuplicates FDuplicates = dupIgnore;
  bool FCaseSensitive = false;
  bool FOwnsObjects = false;
  bool FStrictDelimiter = false;
  char FDelimiter = ',';
  char FQuoteChar = '"';
  char FNameValueSeparator = '=';
  std::string FLineBreak = "\r\n";
  int FUpdateCount = 0;
};

}  // namespace zq
