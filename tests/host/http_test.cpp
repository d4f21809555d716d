#include "host/http.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>

#include "host/callback.h"
#include "foundation/html.h"
#include "host/security.h"

namespace zq {
namespace {

TEST(HttpText, EncodeDecodeRoundTrip) {
  EXPECT_EQ(HTTPEncode("a b&c=d/é~"), "a%20b%26c%3Dd%2F%C3%A9~");
  EXPECT_EQ(HTTPDecode("a%20b+c%26%C3%A9"), "a b c&é");
  // Broken escapes stay as they are.
  EXPECT_EQ(HTTPDecode("100%"), "100%");
  EXPECT_EQ(HTTPDecode("%zz%4"), "%zz%4");
  EXPECT_EQ(HTTPDecode(HTTPEncode("x=1&y=<\"'>\r\n")), "x=1&y=<\"'>\r\n");
  EXPECT_EQ(IncludeURLPathDelimiter(""), "/");
  EXPECT_EQ(IncludeURLPathDelimiter("/app"), "/app/");
  EXPECT_EQ(IncludeURLPathDelimiter("/app/"), "/app/");
}

TEST(HttpText, HtmlEscapeAndDates) {
  EXPECT_EQ(HTMLEscape("<a href=\"x\">'&'</a>"),
            "&lt;a href=&quot;x&quot;&gt;&#39;&amp;&#39;&lt;/a&gt;");
  auto t = std::chrono::system_clock::from_time_t(1796805540);  // 2026-12-09 08:39:00 UTC
  EXPECT_EQ(HTTPDate(t), "Wed, 09 Dec 2026 08:39:00 GMT");
  ASSERT_TRUE(ParseHTTPDate("Wed, 09 Dec 2026 08:39:00 GMT").has_value());
  EXPECT_EQ(*ParseHTTPDate("Wed, 09 Dec 2026 08:39:00 GMT"), t);
  EXPECT_FALSE(ParseHTTPDate("yesterday").has_value());
}

TEST(HttpRequest, ParsesUrlQueryCookiesAndForm) {
  THTTPRequest r;
  r.Method = "POST";
  r.URL = "/some%20path/x+y?callback=BTN.DoAjaxRequest&a=1&a=2&empty";
  r.SetHeader("content-type", "application/x-www-form-urlencoded; charset=UTF-8");
  r.SetHeader("Cookie", "ZQSESSION=abc; other = x y ;broken");
  r.Content = "ajaxevent=Events.OnClick&name=J%C3%BCrg+M&ZQ_TOKEN=t";
  ASSERT_TRUE(r.Parse(100));
  EXPECT_EQ(r.PathInfo(), "/some path/x+y");
  EXPECT_EQ(r.QueryFields().Get("callback"), "BTN.DoAjaxRequest");
  EXPECT_EQ(r.QueryFields().Get("a"), "1");
  EXPECT_EQ(r.QueryFields().Count(), 4u);
  EXPECT_TRUE(r.QueryFields().Has("empty"));
  EXPECT_EQ(r.GetCookie("ZQSESSION"), "abc");
  EXPECT_EQ(r.GetCookie("other"), "x y");
  EXPECT_EQ(r.GetField("name"), "Jürg M");
  EXPECT_EQ(r.GetField("callback"), "BTN.DoAjaxRequest");
  EXPECT_EQ(r.Params().AsLines(),
            (std::vector<std::string>{"ajaxevent=Events.OnClick", "name=Jürg M", "ZQ_TOKEN=t"}));
  EXPECT_EQ(r.GetHeader("CONTENT-TYPE"), "application/x-www-form-urlencoded; charset=UTF-8");
}

TEST(HttpRequest, FieldLimitAndMultipart) {
  THTTPRequest r;
  r.URL = "/?a=1&b=2&c=3";
  std::string err;
  EXPECT_FALSE(r.Parse(2, &err));
  EXPECT_EQ(err, "Too many query fields");

  THTTPRequest m;
  m.Method = "POST";
  m.URL = "/";
  m.SetHeader("Content-Type", "multipart/form-data; boundary=XyZ");
  m.Content =
      "--XyZ\r\nContent-Disposition: form-data; name=\"EDIT1\"\r\n\r\nhello\r\nworld\r\n"
      "--XyZ\r\nContent-Disposition: form-data; name=\"FILE1\"; filename=\"a.txt\"\r\n"
      "Content-Type: text/plain\r\n\r\nfile--XyZ body\r\n--XyZ--\r\n";
  ASSERT_TRUE(m.Parse(10));
  EXPECT_EQ(m.ContentFields().Get("EDIT1"), "hello\r\nworld");
  ASSERT_EQ(m.Files().size(), 1u);
  EXPECT_EQ(m.Files()[0].FieldName, "FILE1");
  EXPECT_EQ(m.Files()[0].FileName, "a.txt");
  EXPECT_EQ(m.Files()[0].ContentType, "text/plain");
  EXPECT_EQ(m.Files()[0].Data, "file--XyZ body");

  THTTPRequest bad;
  bad.Method = "POST";
  bad.SetHeader("Content-Type", "multipart/form-data; boundary=XyZ");
  bad.Content = "--XyZ\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\nno end";
  EXPECT_FALSE(bad.Parse(10, &err));
  EXPECT_EQ(err, "Malformed multipart body");
}

TEST(HttpReply, HeaderStatusAndCookieValuesNeverCarryLineBreaks) {
  THTTPReply r;
  r.SetCode(404, "Not\r\nSet-Cookie: evil=1");
  EXPECT_EQ(r.CodeText(), "NotSet-Cookie: evil=1");
  r.SetHeader("X-A\r\n", "v1\r\nX-Injected: 1");
  r.SetContentType("text/html\n\nbody");
  THTTPCookie c("ses\r\nsion", "a;b,c\r\nSet-Cookie: x=y", "/p\n");
  c.HttpOnly = true;
  c.SameSite = "Lax";
  c.Expires = std::chrono::system_clock::from_time_t(1796805540);
  r.Cookies().push_back(c);
  for (const auto& h : r.AllHeaders()) {
    EXPECT_EQ(h.first.find_first_of("\r\n"), std::string::npos) << h.first;
    EXPECT_EQ(h.second.find_first_of("\r\n"), std::string::npos) << h.second;
  }
  EXPECT_EQ(r.GetHeader("X-A"), "v1X-Injected: 1");
  EXPECT_EQ(r.ContentType(), "text/htmlbody");
  EXPECT_EQ(c.HeaderValue(),
            "session=a%3Bb%2CcSet-Cookie: x=y; Path=/p; Expires=Wed, 09 Dec 2026 08:39:00 GMT; "
            "HttpOnly; SameSite=Lax");
  r.WriteString("body");
  r.ResetReplyType();
  EXPECT_EQ(r.Code(), 200);
  EXPECT_EQ(r.Body(), "");
  EXPECT_EQ(r.GetHeader("X-A"), "");
  EXPECT_EQ(r.Cookies().size(), 1u);  // the session cookie survives a reset
}

// A source that hands its bytes out in pieces of `step`, as a socket would.
class DripSource : public THTTPBodySource {
 public:
  DripSource(std::string data, size_t step, bool declare)
      : data_(std::move(data)), step_(step), declare_(declare) {}
  std::optional<uint64_t> Length() const override {
    return declare_ ? std::optional<uint64_t>(data_.size()) : std::nullopt;
  }
  size_t handedOut = 0;

 protected:
  size_t ReadSome(char* buffer, size_t size) override {
    size_t n = std::min({size, step_, data_.size() - pos_});
    std::memcpy(buffer, data_.data() + pos_, n);
    pos_ += n;
    handedOut += n;
    return n;
  }

 private:
  std::string data_;
  size_t step_, pos_ = 0;
  bool declare_;
};

TEST(HttpBodySource, LimitIsEnforcedWhileTheBodyStreams) {
  // A declared length over the limit is refused before anything is read.
  DripSource declared(std::string(100, 'a'), 7, true);
  declared.SetLimit(99);
  char buf[64];
  try {
    declared.Read(buf, sizeof buf);
    FAIL() << "expected EHTTPBodyError";
  } catch (const EHTTPBodyError& e) {
    EXPECT_EQ(e.Code(), 413);
  }
  EXPECT_EQ(declared.handedOut, 0u);
  // A chunked body is refused as soon as it passes the limit, and never more
  // than one byte past it is taken from the client.
  DripSource chunked(std::string(100000, 'b'), 1000, false);
  chunked.SetLimit(4500);
  size_t got = 0;
  EXPECT_THROW(
      {
        while (size_t n = chunked.Read(buf, sizeof buf)) got += n;
      },
      EHTTPBodyError);
  EXPECT_LE(got, 4500u);
  EXPECT_GT(got, 4500u - sizeof buf);
  EXPECT_LE(chunked.handedOut, 4501u);
  // Exactly at the limit is fine.
  DripSource exact(std::string(300, 'c'), 64, false);
  exact.SetLimit(300);
  size_t total = 0;
  while (size_t n = exact.Read(buf, sizeof buf)) total += n;
  EXPECT_EQ(total, 300u);
  EXPECT_TRUE(exact.AtEnd());
}

TEST(HttpBodySource, RequestReadsAPendingBodyOrItsContent) {
  THTTPRequest r;
  r.Method = "POST";
  r.SetHeader("Content-Type", "application/x-www-form-urlencoded");
  r.SetBodySource(std::make_unique<DripSource>("a=1&b=%C3%A9", 3, false));
  EXPECT_TRUE(r.BodyPending());
  r.ReadContent(1000);
  EXPECT_FALSE(r.BodyPending());
  ASSERT_TRUE(r.Parse(10));
  EXPECT_EQ(r.ContentFields().Get("b"), "\xC3\xA9");

  THTTPRequest big;
  big.SetBodySource(std::make_unique<DripSource>(std::string(5000, 'x'), 512, false));
  EXPECT_THROW(big.ReadContent(4096), EHTTPBodyError);
  EXPECT_TRUE(big.Content.empty());

  // Without a pending body the source reads Content.
  THTTPRequest plain;
  plain.Content = "hello";
  char buf[16];
  size_t n = plain.BodySource().Read(buf, sizeof buf);
  EXPECT_EQ(std::string(buf, n), "hello");
}

// Records what a streamed multipart parse delivers.
struct RecordingSink : TMultipartSink {
  std::vector<std::string> log;
  size_t bytes = 0;
  bool Begin(const TPart& p) override {
    log.push_back("begin " + p.FieldName +
                  (p.IsFile ? " file=" + p.FileName + " type=" + p.ContentType : ""));
    log.push_back("");
    return true;
  }
  bool Data(std::string_view chunk) override {
    log.back() += chunk;
    bytes += chunk.size();
    return true;
  }
  bool End() override {
    log.push_back("end");
    return true;
  }
};

TEST(HttpMultipart, StreamedPartsArriveWholeWhateverTheChunkSize) {
  const std::string body =
      "preamble\r\n--B0\r\nContent-Disposition: form-data; "
      "name=\"a\"\r\n\r\none\r\n--B\r\nx--B0-\r\n"
      "--B0\r\nContent-Disposition: form-data; name=\"f\"; filename=\"x.bin\"\r\nContent-Type: "
      "app/x\r\n\r\n"
      "\r\n\r\n--B\r\n--B0--\r\n";
  const std::vector<std::string> want = {"begin a",     "one\r\n--B\r\nx--B0-",
                                         "end",         "begin f file=x.bin type=app/x",
                                         "\r\n\r\n--B", "end"};
  for (size_t step : {1, 2, 3, 5, 7, 13, 64, 100000}) {
    DripSource src(body, step, true);
    RecordingSink sink;
    EXPECT_TRUE(ParseMultipartStream(src, "B0", sink)) << "step " << step;
    EXPECT_EQ(sink.log, want) << "step " << step;
  }
  // Broken bodies are refused at any chunk size.
  for (const std::string& broken :
       {std::string("--B0\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\nno end"),
        std::string("--B0\r\nno blank line"), std::string("nothing at all")}) {
    DripSource src(broken, 3, true);
    RecordingSink sink;
    EXPECT_FALSE(ParseMultipartStream(src, "B0", sink));
  }
}

TEST(HttpMultipart, ParsingTimeIsLinearInTheBodySize) {
  // Near-misses of the delimiter everywhere: a search that starts over from
  // each candidate takes quadratic time on this.
  const std::string boundary = "----WebKitFormBoundaryAbCdEfGh12345678";
  std::string filler;
  while (filler.size() < 8 * 1024 * 1024)
    filler += "\r\n--" + boundary.substr(0, boundary.size() - 1) + "\r";
  const std::string body =
      "--" + boundary + "\r\nContent-Disposition: form-data; name=\"f\"; filename=\"a\"\r\n\r\n" +
      filler + "\r\n--" + boundary + "--\r\n";
  THTTPFields fields;
  std::vector<THTTPFile> files;
  auto t0 = std::chrono::steady_clock::now();
  ASSERT_TRUE(ParseMultipart(body, boundary, fields, files, 10));
  auto elapsed = std::chrono::steady_clock::now() - t0;
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0].Data, filler);
  EXPECT_LT(elapsed, std::chrono::seconds(3));  // linear: well under a second for 8 MiB
}

TEST(HttpReplyStream, StreamsReplaceTheBodyAndDrainIntoIt) {
  THTTPReply r;
  r.WriteString("old");
  int calls = 0;
  r.SendStream(std::make_unique<TFunctionReplyStream>([&calls](char* buf, size_t size) -> size_t {
    if (calls == 3) return 0;
    ++calls;
    std::string piece = "part" + std::to_string(calls) + ";";
    size_t n = std::min(size, piece.size());
    std::memcpy(buf, piece.data(), n);
    return n;
  }));
  EXPECT_TRUE(r.Body().empty());
  EXPECT_TRUE(r.HasStream());
  EXPECT_FALSE(r.StreamLength().has_value());
  r.DrainStream();
  EXPECT_FALSE(r.HasStream());
  EXPECT_EQ(r.Body(), "part1;part2;part3;");
  // An error reply drops a stream.
  r.SendStream(std::make_unique<TFunctionReplyStream>([](char*, size_t) -> size_t { return 0; }),
               0);
  r.ResetReplyType();
  EXPECT_FALSE(r.HasStream());
}

TEST(HttpReplyStream, FileStreamsSendTheRangeAskedFor) {
  char path[] = "/tmp/zq-http-test-XXXXXX";
  int fd = ::mkstemp(path);
  ASSERT_GE(fd, 0);
  std::string data;
  for (int i = 0; i < 100000; ++i) data += static_cast<char>('a' + i % 26);
  ASSERT_EQ(::write(fd, data.data(), data.size()), static_cast<ssize_t>(data.size()));
  ::close(fd);
  THTTPReply whole;
  whole.SendFile(path);
  ASSERT_TRUE(whole.StreamLength().has_value());
  EXPECT_EQ(*whole.StreamLength(), data.size());
  whole.DrainStream();
  EXPECT_EQ(whole.Body(), data);
  THTTPReply part;
  part.SendFile(path, 99990, 50);  // clipped at the end of the file
  EXPECT_EQ(*part.StreamLength(), 10u);
  part.DrainStream();
  EXPECT_EQ(part.Body(), data.substr(99990));
  ::unlink(path);
  THTTPReply missing;
  EXPECT_THROW(missing.SendFile(path), Exception);
}

TEST(HtmlTag, EscapesAttributesAndText) {
  TIWHTMLTag div("div");
  div.AddStringParam("id", "D1");
  div.AddStringParam("title", "a<b>&\"c\"'d'");
  div.AddBoolParam("hidden");
  div.AddClassParam("one");
  div.AddClassParam("two");
  div.AddText("1 < 2 & \"x\"");
  TIWHTMLTag* in = div.AddTag("input", TIWHTMLTag::TClosingTag::ctdNone);
  in->AddStringParam("value", "'v'");
  div.AddRawText("<b>raw</b>");
  div.AddStringParam("id", "D2");  // replaces in place
  EXPECT_EQ(
      div.RenderToString(),
      "<div id=\"D2\" title=\"a&lt;b&gt;&amp;&quot;c&quot;&#39;d&#39;\" hidden class=\"one two\">"
      "1 &lt; 2 &amp; &quot;x&quot;<input value=\"&#39;v&#39;\"><b>raw</b></div>");
  EXPECT_EQ(div.GetParam("title"), "a<b>&\"c\"'d'");
  div.RemoveParam("title");
  EXPECT_FALSE(div.HasParam("title"));
  EXPECT_EQ(div.ChildTags().size(), 1u);

  TIWXMLTag ctl("control");
  ctl.AddStringParam("id", "REGION1");
  ctl.AddAsyncStyle("height:20px");
  ctl.AddAsyncStyle("width:30px");
  EXPECT_EQ(ctl.RenderToString(), "<control id=\"REGION1\" style=\"height:20px;width:30px\"/>");
}

TEST(CallBackResponse, ScriptsInOrderEachInCDataWithSplitTerminator) {
  EXPECT_EQ(CDataSection("a]]>b]]>"), "<![CDATA[a]]]]><![CDATA[>b]]]]><![CDATA[>]]>");
  TIWCallBackResponse r;
  r.AddJavaScriptToExecute("first();");
  r.AddJavaScriptToExecute("<![CDATA[second();]]>");  // already wrapped: unwrapped once
  r.AddJavaScriptToExecute("");
  r.AddJavaScriptToExecute("var s = \"]]>\";");
  r.AddUpdate("LBL1", "<span id=\"LBL1\">x</span>");
  r.AddUpdate("LBL1", "<span id=\"LBL1\">y</span>");
  auto tag = std::make_unique<TIWXMLTag>("control");
  tag->AddStringParam("id", "R1");
  r.AddControlTag(std::move(tag));
  EXPECT_EQ(r.Render(),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<response>"
            "<update id=\"LBL1\"><![CDATA[<span id=\"LBL1\">y</span>]]></update>"
            "<control id=\"R1\"/>"
            "<execute><![CDATA[first();]]></execute>"
            "<execute><![CDATA[second();]]></execute>"
            "<execute><![CDATA[var s = \"]]]]><![CDATA[>\";]]></execute>"
            "</response>");
  r.Clear();
  EXPECT_TRUE(r.IsEmpty());
  EXPECT_EQ(TIWCallBackResponse::RenderError("bad ]]> x"),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<response><error><![CDATA[bad "
            "]]]]><![CDATA[> x]]>"
            "</error></response>");
}

TEST(SecureRandom, HexIdsAreDistinctAndWellFormed) {
  std::string a = SecureRandomHex(16), b = SecureRandomHex(16);
  EXPECT_EQ(a.size(), 32u);
  EXPECT_NE(a, b);
  EXPECT_EQ(a.find_first_not_of("0123456789abcdef"), std::string::npos);
  EXPECT_TRUE(ConstantTimeEquals("abc", "abc"));
  EXPECT_FALSE(ConstantTimeEquals("abc", "abd"));
  EXPECT_FALSE(ConstantTimeEquals("abc", "ab"));
}

}  // namespace
}  // namespace zq
