#include "foundation/jqcommon.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "foundation/component.h"
#include "foundation/stringlist.h"
#include "foundation/variant.h"

namespace zq {
namespace {

// Restores the process-wide settings a test changes.
struct SettingsGuard {
  TIWZQJQQuoteStyle quote = IWZQJQQuoteStyle;
  std::string jq = ZQJQuery;
  ~SettingsGuard() {
    IWZQJQQuoteStyle = quote;
    ZQJQuery = jq;
  }
};

TEST(JQCommon, DefaultsOfTheSettings) {
  EXPECT_EQ(IWZQJQQuoteStyle, qsDouble);
  EXPECT_FALSE(ZQScriptDebugCatch);
  EXPECT_EQ(ZQJQuery, "$");
  EXPECT_TRUE(ZQResizeFix);
  EXPECT_FALSE(ZQJSErrorHandler);
  EXPECT_EQ(ZQJsUrlBase, "jq/");
  EXPECT_EQ(ZQCssUrlBase, "css/");
  EXPECT_EQ(ZQThemeUrlBase, "ui-themes/");
  EXPECT_EQ(ZQGetLibraryVersion(), "2.6.0.86");
}

TEST(JQCommon, QuotedStrRemovesCRLFAndQuotesByStyle) {
  SettingsGuard g;
  EXPECT_EQ(JQQuotedStr("a\r\nb"), "\"ab\"");
  EXPECT_EQ(JQQuotedStr("say \"hi\""), "\"say \"hi\"\"");  // double style: content not escaped
  EXPECT_EQ(JQQuotedStr("a\nb\r"), "\"a\nb\r\"");        // only CR LF pairs go
  IWZQJQQuoteStyle = qsSingle;
  EXPECT_EQ(JQQuotedStr("a\r\nb"), "'ab'");
  EXPECT_EQ(JQQuotedStr("plain text"), "'plain text'");
  EXPECT_EQ(JQQuotedStr(""), "''");
}

TEST(JQCommon, QuotedStrSingleEscapesQuoteAndBackslash) {
  SettingsGuard g;
  IWZQJQQuoteStyle = qsSingle;
  EXPECT_EQ(JQQuotedStr("it's"), "'it\\'s'");
  EXPECT_EQ(JQQuotedStr("C:\\dir\\"), "'C:\\\\dir\\\\'");
  // A trailing backslash cannot swallow the closing quote.
  EXPECT_EQ(JQQuotedStr("x\\'"), "'x\\\\\\''");
}

TEST(JQCommon, SmallTextHelpers) {
  EXPECT_EQ(JQBoolStr(true), "true");
  EXPECT_EQ(JQBoolStr(false), "false");
  EXPECT_EQ(ZQJsNoLineBreaks("a\r\nb\r\nc"), "a b c");
  EXPECT_EQ(ZQJsNoLineBreaks("a\r\nb", true), "ab");
  EXPECT_EQ(ZQInsertSemiColon("x()"), "x();");
  EXPECT_EQ(ZQInsertSemiColon("x();"), "x();");
  EXPECT_EQ(ZQInsertSemiColon(""), "");
  EXPECT_EQ(ZQUnQuotedStr("  \"abc\" "), "abc");
  EXPECT_EQ(ZQUnQuotedStr("\"abc"), "\"abc");
  EXPECT_EQ(ZQUnQuotedStr("\""), "\"");
  EXPECT_EQ(IfStr(true, "a", "b"), "a");
  EXPECT_EQ(ZQIfStr(false, "a", "b"), "b");
  EXPECT_EQ(ZQIfVar(false, Variant(1), Variant("x")).ToString(), "x");
}

TEST(JQCommon, JsEscapeIsAJsonStringLiteral) {
  EXPECT_EQ(ZQJsEscape("a\"b\\c\r\n"), "\"a\\\"b\\\\c\\r\\n\"");
  EXPECT_EQ(ZQJsEscapeUnquoted("</script>"), "<\\/script>");
  EXPECT_EQ(ZQJsEscape(""), "\"\"");
}

TEST(JQCommon, JQuerySelectorsAndLogMessages) {
  SettingsGuard g;
  EXPECT_EQ(ZQGetJQuery("EDIT1"), "$(\"#EDIT1\")");
  EXPECT_EQ(ZQGetJQueryElem("EDIT1"), "$(\"#EDIT1\")[0]");
  ZQJQuery = "jQuery";
  EXPECT_EQ(ZQGetJQuery("A"), "jQuery(\"#A\")");
  EXPECT_EQ(ZQLogMessage("hello"), "debug.log(\"Tavrin: hello\");");
  EXPECT_EQ(ZQLogMessage("w", zqlmtWarning), "debug.warn(\"Tavrin: w\");");
  EXPECT_EQ(ZQLogMessage("e", zqlmtError), "debug.error(\"Tavrin: e\");");
  EXPECT_EQ(ZQLogMessage("i", zqlmtInfo), "debug.info(\"Tavrin: i\");");
}

TEST(JQCommon, InvPos) {
  EXPECT_EQ(ZQInvPos(".", "2.15.3"), 5);
  EXPECT_EQ(ZQInvPos(".", "2.15.3", 4), 2);   // must end at or before 4
  EXPECT_EQ(ZQInvPos(".", "2.15.3", 5), 5);
  EXPECT_EQ(ZQInvPos(".", "2.15.3", 99), 5);  // beyond the end: the end
  EXPECT_EQ(ZQInvPos(".", "2.15.3", -1), 5);
  EXPECT_EQ(ZQInvPos("15", "2.15.3", 3), 0);  // "15" ends at 4
  EXPECT_EQ(ZQInvPos("15", "2.15.3", 4), 3);
  EXPECT_EQ(ZQInvPos("", "abc"), 0);
  EXPECT_EQ(ZQInvPos("x", "abc"), 0);
  // Positions count UTF-16 code units: "é" is one unit, "😀" two.
  EXPECT_EQ(ZQInvPos(".", "\xC3\xA9.a"), 2);
  EXPECT_EQ(ZQInvPos(".", "\xF0\x9F\x98\x80.a"), 3);
  EXPECT_EQ(ZQInvPosA(".", "\xC3\xA9.a"), 3);  // the 8-bit form counts bytes
  EXPECT_EQ(ZQInvPosA(".", "2.15.3", 4), 2);
}

TEST(JQCommon, AddCssClassUsesASubstringTest) {
  EXPECT_EQ(ZQAddCssClass("ui", "ui-widget"), "ui-widget");
  EXPECT_EQ(ZQAddCssClass("a", ""), "a");
  EXPECT_EQ(ZQAddCssClass("new", "x y"), "x y new");
  EXPECT_EQ(ZQAddCssClass("new", "x y", true), "new x y");
}

TEST(JQCommon, Identifiers) {
  EXPECT_EQ(ZQEmptyGUIDString(), "{00000000-0000-0000-0000-000000000000}");
  EXPECT_EQ(ZQGUIDHTMLMapIDLen(), 32);
  std::string a = ZQNewGUIDString();
  ASSERT_EQ(a.size(), 38u);
  EXPECT_EQ(a.front(), '{');
  EXPECT_EQ(a[9], '-');
  EXPECT_EQ(a[15], '4');  // version 4
  for (int i = 0; i < 50; ++i) {
    std::string id = ZQNewGUIDHTMLMapID();
    ASSERT_EQ(id.size(), 32u);
    EXPECT_EQ(id.find_first_not_of("0123456789ABCDEF"), std::string::npos) << id;
  }
  EXPECT_NE(ZQNewGUIDHTMLMapID(), ZQNewGUIDHTMLMapID());
  EXPECT_EQ(ZQRandomString(0), "");
  EXPECT_EQ(ZQRandomString(-3), "");
  std::string r = ZQRandomString(200);
  ASSERT_EQ(r.size(), 200u);
  EXPECT_EQ(r.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"), std::string::npos);
  std::string auto1 = ZQGenAutoID();
  EXPECT_EQ(auto1.rfind("autoid", 0), 0u);
  EXPECT_GT(std::stoll(auto1.substr(6)), 1700000000LL);
}

TEST(JQCommon, FindUniqueComponentName) {
  TComponent owner;
  EXPECT_EQ(ZQFindUniqueComponentName(&owner, "Chart"), "Chart");
  auto* c = Create<TComponent>(&owner);
  c->SetName("Chart");
  EXPECT_EQ(ZQFindUniqueComponentName(&owner, "Chart"), "Chart1");
  Create<TComponent>(&owner)->SetName("Chart1");
  EXPECT_EQ(ZQFindUniqueComponentName(&owner, "chart"), "chart2");
}

TEST(JQCommon, Base64RoundTripAndErrors) {
  EXPECT_EQ(ZQBase64Decode("aGVsbG8="), "hello");
  EXPECT_EQ(ZQBase64Decode("aGVs\r\nbG8h"), "hello!");
  EXPECT_EQ(ZQBase64Decode(""), "");
  std::string bin("\x00\xff\x10\x80", 4);
  EXPECT_EQ(ZQBase64Decode(ZQBase64Encode(bin)), bin);
  EXPECT_EQ(ZQBase64Encode("ab"), "YWI=");
  EXPECT_THROW(ZQBase64Decode("a*b="), EIWZQJQuery);
}

class Base64Files : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("zq_b64_" + std::to_string(::getpid()) + "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_ / "inner");
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  static std::string Read(const std::filesystem::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
  }
  std::filesystem::path dir_;
};

TEST_F(Base64Files, SaveTruncatesAndEmptyDataLeavesAnEmptyFile) {
  auto file = (dir_ / "a.bin").string();
  ZQSaveBase64Data(file, "aGVsbG8gd29ybGQ=");
  EXPECT_EQ(Read(file), "hello world");
  ZQSaveBase64Data(file, "aGk=");
  EXPECT_EQ(Read(file), "hi");
  ZQSaveBase64Data(file, "");
  EXPECT_TRUE(std::filesystem::exists(file));
  EXPECT_EQ(std::filesystem::file_size(file), 0u);
}

TEST_F(Base64Files, ConfinedSaveWritesOnlyInsideTheFolder) {
  std::string path = ZQSaveBase64DataIn((dir_ / "inner").string(), "pic.png", "aGk=");
  EXPECT_EQ(path, (dir_ / "inner" / "pic.png").string());
  EXPECT_EQ(Read(path), "hi");
  for (const char* bad : {"../x.png", "..", ".", "", "a/b.png", "a\\b.png", "C:x.png", "/etc/passwd"}) {
    try {
      ZQSaveBase64DataIn((dir_ / "inner").string(), bad, "aGk=");
      ADD_FAILURE() << "accepted " << bad;
    } catch (const EIWZQJQuery& e) {
      EXPECT_EQ(std::string(e.what()), std::string("Invalid file name: \"") + bad + "\"!");
    }
  }
  EXPECT_FALSE(std::filesystem::exists(dir_ / "x.png"));
  EXPECT_THROW(ZQSaveBase64DataIn((dir_ / "missing").string(), "a.png", "aGk="), EIWZQJQuery);
  // A symbolic link under the target name is refused instead of followed.
  std::filesystem::create_symlink(dir_ / "outside.txt", dir_ / "inner" / "link.txt");
  EXPECT_THROW(ZQSaveBase64DataIn((dir_ / "inner").string(), "link.txt", "aGk="), EIWZQJQuery);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "outside.txt"));
}

TEST(JQCommon, NilNodes) {
  ISuperObject n;
  CheckNilSO(n);
  ASSERT_TRUE(n);
  EXPECT_EQ(n->GetDataType(), stNull);
  ISuperObject s = TSuperObject::Create("x");
  CheckNilSO(s);
  EXPECT_EQ(s->AsString(), "x");
  EXPECT_EQ(SONil2Null(ISuperObject())->GetDataType(), stNull);
  EXPECT_EQ(SONil2Null(s), s);
}

class MonitorSink {
 public:
  void Handle(TObject*, const std::string& name, TStringList* params, bool ajax) {
    last = name + "|" + (params ? params->Values("ComponentName") : "") + "|" + (ajax ? "ajax" : "submit");
  }
  std::string last;
};

TEST(JQCommon, EventMonitorOnlyFromTheMainThread) {
  MonitorSink sink;
  TIWZQEventMonitorEvent m(&sink, &MonitorSink::Handle);
  std::string error;
  std::thread t([&] {
    try {
      SetZQEventMonitor(m);
    } catch (const EIWZQJQuery& e) {
      error = e.what();
    }
  });
  t.join();
  EXPECT_EQ(error, "You can only set ZQEventMonitor in the Main Thread!");
  EXPECT_FALSE(GetZQEventMonitor());
  SetZQEventMonitor(m);
  EXPECT_TRUE(GetZQEventMonitor() == m);
  TStringList params;
  params.Add("ComponentName=Chart1");
  ZQCallEventMonitor(nullptr, "OnClick", &params, true);
  EXPECT_EQ(sink.last, "OnClick|Chart1|ajax");
  SetZQEventMonitor(nullptr);
  ZQCallEventMonitor(nullptr, "Other", &params, false);  // unassigned: nothing happens
  EXPECT_EQ(sink.last, "OnClick|Chart1|ajax");
}

}  // namespace
}  // namespace zq
