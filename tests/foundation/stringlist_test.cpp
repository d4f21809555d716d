#include "foundation/stringlist.h"

#include <gtest/gtest.h>

#include "foundation/exception.h"

namespace zq {
namespace {

using V = std::vector<std::string>;

TEST(StringList, NameValueAccess) {
  TStringList l;
  l.SetText("a=1\r\nB=2\nnoequals\rB=3=x");
  EXPECT_EQ(l.ToVector(), (V{"a=1", "B=2", "noequals", "B=3=x"}));
  EXPECT_EQ(l.Values("b"), "2");  // first match, case-insensitive
  EXPECT_EQ(l.Names(3), "B");
  EXPECT_EQ(l.ValueFromIndex(3), "3=x");
  EXPECT_EQ(l.Names(2), "");
  EXPECT_EQ(l.ValueFromIndex(2), "");
  EXPECT_EQ(l.IndexOfName("noequals"), -1);
  EXPECT_EQ(l.Values("missing"), "");
  l.SetValue("a", "9");
  l.SetValue("c", "new");
  EXPECT_EQ(l.ToVector(), (V{"a=9", "B=2", "noequals", "B=3=x", "c=new"}));
  l.SetValue("B", "");  // an empty value removes the (first) line
  EXPECT_EQ(l.ToVector(), (V{"a=9", "noequals", "B=3=x", "c=new"}));
  l.SetNameValueSeparator(':');
  l.Clear();
  l.Add("k:v");
  EXPECT_EQ(l.Values("K"), "v");
  l.SetCaseSensitive(true);
  EXPECT_EQ(l.Values("K"), "");
}

TEST(StringList, TextJoinsWithCrLf) {
  TStringList l;
  l.Add("one");
  l.Add("");
  l.Add("two");
  EXPECT_EQ(l.Text(), "one\r\n\r\ntwo\r\n");
  l.SetText("x\r\n\r\ny\n");
  EXPECT_EQ(l.ToVector(), (V{"x", "", "y"}));
  l.SetText("");
  EXPECT_EQ(l.Count(), 0);
}

TEST(StringList, SortedWithDuplicateRules) {
  TStringList l;
  l.SetSorted(true);
  l.Add("pear");
  l.Add("Apple");
  EXPECT_EQ(l.Add("banana"), 1);
  EXPECT_EQ(l.ToVector(), (V{"Apple", "banana", "pear"}));
  EXPECT_EQ(l.Add("APPLE"), 0);  // ignored duplicate: the existing index
  EXPECT_EQ(l.Count(), 3);
  l.SetDuplicates(dupError);
  EXPECT_THROW(l.Add("Pear"), EListError);
  l.SetDuplicates(dupAccept);
  l.Add("Pear");
  EXPECT_EQ(l.Count(), 4);
  EXPECT_EQ(l.IndexOf("BANANA"), 1);
  EXPECT_THROW(l.Insert(0, "x"), EListError);
  int at = -1;
  EXPECT_FALSE(l.Find("cherry", at));
  EXPECT_EQ(at, 2);
  l.SetCaseSensitive(true);  // ordinal: upper case first
  EXPECT_EQ(l.Strings(0), "Apple");
  EXPECT_EQ(l.Strings(1), "Pear");
}

TEST(StringList, DelimitedText) {
  TStringList l;
  l.SetCommaText("a, \"b c\",d\"\"e, \"q\"\"x\",");
  EXPECT_EQ(l.ToVector(), (V{"a", "b c", "d\"\"e", "q\"x", ""}));
  EXPECT_EQ(l.CommaText(), "a,\"b c\",\"d\"\"\"\"e\",\"q\"\"x\",");
  TStringList s;
  s.SetDelimiter('&');
  s.SetStrictDelimiter(true);
  s.SetQuoteChar('\0');
  s.SetDelimitedText("a b&&c\"d");
  EXPECT_EQ(s.ToVector(), (V{"a b", "", "c\"d"}));
  EXPECT_EQ(s.DelimitedText(), "a b&&c\"d");
  TStringList one;
  one.Add("");
  EXPECT_EQ(one.DelimitedText(), "\"\"");
}

TEST(StringList, ObjectsOwnedOnlyWhenAsked) {
  TStringList owning(true);
  auto* o = new TObject;
  owning.AddObject("x", o);
  EXPECT_EQ(owning.Objects(0), o);
  EXPECT_EQ(owning.IndexOfObject(o), 0);
  owning.Delete(0);  // frees o (checked by the sanitizer build)
  TObject plain;
  TStringList l;
  l.AddObject("p", &plain);
  TStringList copy;
  copy.Assign(&l);
  EXPECT_EQ(copy.Objects(0), &plain);
  TStringList owningCopy(true);
  owningCopy.Assign(&l);
  EXPECT_EQ(owningCopy.Objects(0), nullptr);  // never shares ownership
}

struct Counter {
  int n = 0;
  void Hit(TObject*) { ++n; }
};

TEST(StringList, ChangeEventsAndUpdates) {
  TStringList l;
  Counter c;
  l.OnChange = TNotifyEvent(&c, &Counter::Hit);
  l.Add("a");
  l.Add("b");
  EXPECT_EQ(c.n, 2);
  l.BeginUpdate();
  l.Add("c");
  l.Delete(0);
  l.EndUpdate();
  EXPECT_EQ(c.n, 3);
  l.Move(0, 1);
  EXPECT_EQ(l.ToVector(), (V{"c", "b"}));
  l.CustomSort([](TStringList* s, int a, int b) { return s->Strings(a).compare(s->Strings(b)); });
  EXPECT_EQ(l.ToVector(), (V{"b", "c"}));
}

}  // namespace
}  // namespace zq
