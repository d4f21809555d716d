#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <latch>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

#include "components/upload/uploadreceiver.h"
#include "foundation/format.h"
#include "foundation/jqcommon.h"
#include "foundation/superobject.h"
#include "framework/startup.h"
#include "host/http.h"

namespace zq {
namespace {

namespace fs = std::filesystem;

// A body that arrives in small pieces, with or without a declared length;
// it counts what was taken from it and may wait for a latch first.
class PieceSource : public THTTPBodySource {
 public:
  PieceSource(std::string data, bool declare, std::size_t piece = 7)
      : data_(std::move(data)), declare_(declare), piece_(piece) {}
  std::optional<uint64_t> Length() const override {
    return declare_ ? std::optional<uint64_t>(data_.size()) : std::nullopt;
  }
  std::latch* gate = nullptr;
  std::size_t taken = 0;

 protected:
  size_t ReadSome(char* buffer, size_t size) override {
    if (gate) {
      gate->arrive_and_wait();
      gate = nullptr;
    }
    const size_t n = std::min({size, piece_, data_.size() - taken});
    std::memcpy(buffer, data_.data() + taken, n);
    taken += n;
    return n;
  }

 private:
  std::string data_;
  bool declare_;
  std::size_t piece_;
};

// An endless body of "x" of a given length, never held in memory.
class GeneratedSource : public THTTPBodySource {
 public:
  explicit GeneratedSource(uint64_t n) : left_(n) {}
  std::optional<uint64_t> Length() const override { return std::nullopt; }
  uint64_t produced = 0;

 protected:
  size_t ReadSome(char* buffer, size_t size) override {
    const size_t n = static_cast<size_t>(std::min<uint64_t>(size, left_));
    std::memset(buffer, 'x', n);
    left_ -= n;
    produced += n;
    return n;
  }

 private:
  uint64_t left_;
};

class UploadReceiver : public ::testing::Test {
 protected:
  UploadReceiver() {
    dir = fs::temp_directory_path() /
          ("zq_upload_test_" + std::to_string(::getpid()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
    settings.Folder = dir.string();
  }
  ~UploadReceiver() override { fs::remove_all(dir); }

  static std::string Read(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
  }
  // The names in the folder, temporary files included.
  std::vector<std::string> Names() const {
    std::vector<std::string> r;
    for (auto& e : fs::recursive_directory_iterator(dir)) r.push_back(e.path().filename().string());
    std::sort(r.begin(), r.end());
    return r;
  }
  std::string Error(std::function<void()> f) {
    try {
      f();
    } catch (const EIWZQJQuery& e) {
      return e.what();
    }
    return "(no error)";
  }
  TZQUploadResult Multipart(const std::string& body,
                            const std::string& ctype = "multipart/form-data; boundary=XyZ",
                            const std::string& name = "") {
    PieceSource src(body, true);
    return ZQReceiveUploadBody(src, ctype, name, settings);
  }

  fs::path dir;
  TZQUploadSettings settings;
};

std::string Part(const std::string& disposition, const std::string& content,
                 const std::string& boundary = "XyZ") {
  return "--" + boundary + "\r\nContent-Disposition: form-data; " + disposition +
         "\r\nContent-Type: application/octet-stream\r\n\r\n" + content + "\r\n";
}
std::string Close(const std::string& boundary = "XyZ") {
  return "--" + boundary + "--\r\n";
}

TEST_F(UploadReceiver, RawBodyIsStoredUnderTheRequestName) {
  THTTPRequest req;
  req.Method = "POST";
  req.URL = "/IWZQJQ/x?qqfile=a.txt";
  req.SetHeader("Content-Type", "application/octet-stream");
  req.Content = "abc";
  ASSERT_TRUE(req.Parse(100));
  TZQUploadResult r = ZQReceiveUpload(req, settings);
  EXPECT_EQ(r.FileName, "a.txt");
  EXPECT_EQ(r.Size, 3u);
  EXPECT_EQ(fs::path(r.Path), dir / "a.txt");
  EXPECT_EQ(Read(dir / "a.txt"), "abc");
  EXPECT_EQ(Names(), std::vector<std::string>{"a.txt"});

  // the header names a file when no field does; it is percent-decoded
  THTTPRequest h;
  h.Method = "POST";
  h.URL = "/IWZQJQ/x";
  h.SetHeader("Content-Type", "application/octet-stream");
  h.SetHeader("X-File-Name", "r%C3%A9sum%C3%A9.txt");
  h.Content = std::string("\0\1\2", 3);
  ASSERT_TRUE(h.Parse(100));
  ZQReceiveUpload(h, settings);
  EXPECT_EQ(Read(dir / "r\xC3\xA9sum\xC3\xA9.txt"), std::string("\0\1\2", 3));
}

TEST(UploadParser, TheLibraryStartClaimsRawUploadsThatNameTheirFile) {
  auto raw = [](const char* AMethod, const char* AType, bool AName) {
    THTTPRequest r;
    r.Method = AMethod;
    r.URL = "/IWZQJQ/x";
    r.SetHeader("Content-Type", AType);
    if (AName) r.SetHeader("X-File-Name", "a.txt");
    return r;
  };
  const THTTPRequest upload = raw("POST", "application/octet-stream", true);
  EXPECT_FALSE(ContentParserClaims(upload));  // nothing is registered before the start-up
  ZQLibraryStartup();
  EXPECT_TRUE(ZQUploadParserStarted());
  EXPECT_TRUE(ContentParserClaims(upload));
  // exactly that type, a POST, and the header
  EXPECT_FALSE(ContentParserClaims(raw("POST", "application/octet-stream; x=1", true)));
  EXPECT_FALSE(ContentParserClaims(raw("POST", "text/plain", true)));
  EXPECT_FALSE(ContentParserClaims(raw("PUT", "application/octet-stream", true)));
  EXPECT_FALSE(ContentParserClaims(raw("POST", "application/octet-stream", false)));
  EXPECT_FALSE(ContentParserClaims(raw("POST", "multipart/form-data; boundary=b", true)));
  ZQLibraryShutdown();
  EXPECT_FALSE(ZQUploadParserStarted());
  EXPECT_FALSE(ContentParserClaims(upload));
}

TEST_F(UploadReceiver, RawBodyOfUnknownLengthStreamsInPieces) {
  std::string data;
  for (int i = 0; i < 5000; ++i) data += static_cast<char>(i * 31);
  PieceSource src(data, false, 1000);
  TZQUploadResult r = ZQReceiveUploadBody(src, "application/octet-stream", "b.bin", settings);
  EXPECT_EQ(r.Size, data.size());
  EXPECT_EQ(Read(dir / "b.bin"), data);
}

TEST_F(UploadReceiver, MultipartFindsTheFilePartAmongOthers) {
  // a text field first, the file second, another field after it: only the
  // file's bytes are stored, up to the CR LF before the next delimiter
  const std::string content = "line1\r\nline2--XyZ\r\n\r\n-";
  std::string body = "preamble\r\n" + Part("name=\"comment\"", "hello") +
                     Part("name=\"qqfile\"; filename=\"C:\\dir\\a.txt\"", content) +
                     Part("name=\"after\"", "tail") + Close();
  TZQUploadResult r = Multipart(body);
  EXPECT_EQ(r.FileName, "a.txt");
  EXPECT_EQ(Read(dir / "a.txt"), content);
  EXPECT_EQ(Names(), std::vector<std::string>{"a.txt"});
}

TEST_F(UploadReceiver, MultipartBoundaryMayBeQuotedAndParametersInAnyOrder) {
  const std::string b = "----WebKit boundary'7";
  std::string body = Part("filename=\"q.txt\"; name=\"file\"", "quoted", b) + Close(b);
  Multipart(body, "multipart/form-data; charset=UTF-8; boundary=\"" + b + "\"");
  EXPECT_EQ(Read(dir / "q.txt"), "quoted");
  // a part named like the input, without a filename: the name comes from the request
  Multipart(Part("name=\"qqfile\"", "plain") + Close(), "Multipart/Form-Data;boundary=XyZ",
            "n.txt");
  EXPECT_EQ(Read(dir / "n.txt"), "plain");
  // the request's name wins over the part's
  Multipart(Part("name=\"x\"; filename=\"part.txt\"", "named") + Close(),
            "multipart/form-data; boundary=XyZ", "req.txt");
  EXPECT_EQ(Read(dir / "req.txt"), "named");
  EXPECT_FALSE(fs::exists(dir / "part.txt"));
}

TEST_F(UploadReceiver, MalformedMultipartBodiesStoreNothing) {
  EXPECT_EQ(
      Error([&] { Multipart(Part("filename=\"a.txt\"", "x") + Close(), "multipart/form-data"); }),
      "Invalid ContentType: \"multipart/form-data\"!");
  EXPECT_EQ(Error([&] { Multipart(Part("filename=\"a.txt\"", "x", "Other") + Close("Other")); }),
            "Boundary \"XyZ\" not found in multipart/form-data content!");
  // truncated: the file part never reaches a delimiter
  const std::string whole = Part("filename=\"a.txt\"", std::string(5000, 'd')) + Close();
  EXPECT_EQ(Error([&] { Multipart(whole.substr(0, 3000)); }),
            "Invalid multipart/form-data content!");
  // no closing delimiter after a complete part
  EXPECT_EQ(Error([&] { Multipart(Part("filename=\"a.txt\"", "x")); }),
            "Invalid multipart/form-data content!");
  // headers never end
  EXPECT_EQ(
      Error([&] { Multipart("--XyZ\r\nContent-Disposition: form-data; filename=\"a.txt\"\r\n"); }),
      "Invalid multipart/form-data content!");
  // only text fields
  EXPECT_EQ(Error([&] { Multipart(Part("name=\"comment\"", "x") + Close()); }),
            "Invalid multipart/form-data content!");
  EXPECT_TRUE(Names().empty());
}

TEST_F(UploadReceiver, ErrorTextsOfTheRequest) {
  PieceSource empty("", true);
  EXPECT_EQ(
      Error([&] { ZQReceiveUploadBody(empty, "application/octet-stream", "a.txt", settings); }),
      "Invalid ContentLength!");
  PieceSource emptyChunked("", false);
  EXPECT_EQ(Error([&] {
              ZQReceiveUploadBody(emptyChunked, "application/octet-stream", "a.txt", settings);
            }),
            "Invalid ContentLength!");
  PieceSource text("abc", true);
  EXPECT_EQ(Error([&] { ZQReceiveUploadBody(text, "text/plain", "a.txt", settings); }),
            "Invalid ContentType: \"text/plain\"!");
  PieceSource noName("abc", true);
  EXPECT_EQ(Error([&] { ZQReceiveUploadBody(noName, "application/octet-stream", "", settings); }),
            "Unspecified Filename!");
  EXPECT_EQ(Error([&] { Multipart(Part("name=\"qqfile\"", "no name") + Close()); }),
            "Unspecified Filename!");
  PieceSource first("one", true), second("two", true);
  ZQReceiveUploadBody(first, "application/octet-stream", "a.txt", settings);
  EXPECT_EQ(
      Error([&] { ZQReceiveUploadBody(second, "application/octet-stream", "a.txt", settings); }),
      "Filename \"a.txt\" already exists in upload folder!");
  EXPECT_EQ(Read(dir / "a.txt"), "one");
  EXPECT_EQ(second.taken, 0u);  // refused before the body was read
  settings.CanOverrideFile = true;
  PieceSource third("three", true);
  ZQReceiveUploadBody(third, "application/octet-stream", "a.txt", settings);
  EXPECT_EQ(Read(dir / "a.txt"), "three");
  EXPECT_EQ(Names(), std::vector<std::string>{"a.txt"});
}

TEST(UploadNames, BrowserNamesAreReducedToTheirBaseName) {
  EXPECT_EQ(ZQUploadBaseName("a.txt"), "a.txt");
  EXPECT_EQ(ZQUploadBaseName("C:\\dir\\a.txt"), "a.txt");
  EXPECT_EQ(ZQUploadBaseName("../../x"), "x");
  EXPECT_EQ(ZQUploadBaseName("..\\..\\etc/passwd"), "passwd");
  EXPECT_EQ(ZQUploadBaseName("D:x.txt"), "x.txt");
  EXPECT_EQ(ZQUploadBaseName("/abs/path/r\xC3\xA9.txt"), "r\xC3\xA9.txt");
  EXPECT_EQ(ZQUploadBaseName("..a"), "..a");
  for (std::string bad : {std::string(""), std::string("."), std::string(".."),
                          std::string("dir/.."), std::string("x/"), std::string("C:"),
                          std::string("a\x01"
                                      "b"),
                          std::string("a\nb"), std::string("a\x7f"), std::string("a\0b", 3)}) {
    try {
      ZQUploadBaseName(bad);
      ADD_FAILURE() << "accepted " << ZQJsEscape(bad);
    } catch (const EIWZQJQuery& e) {
      std::string shown = bad;  // control characters are shown as "?"
      for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
      EXPECT_EQ(std::string(e.what()), "Invalid file name \"" + shown + "\"!");
    }
  }
}

TEST_F(UploadReceiver, TheTargetStaysInsideTheFolderAfterOnGetFileName) {
  // the request's name is cut to its base name before the event sees it
  std::string seen;
  settings.OnGetFileName = [&](std::string&, std::string& name) { seen = name; };
  PieceSource a("data", true);
  ZQReceiveUploadBody(a, "application/octet-stream", "../../x", settings);
  EXPECT_EQ(seen, "x");
  EXPECT_EQ(Read(dir / "x"), "data");
  EXPECT_FALSE(fs::exists(dir.parent_path() / "x"));

  // the event may pick a subfolder, but not a way out
  settings.OnGetFileName = [](std::string&, std::string& name) { name = "sub/" + name; };
  PieceSource b("sub", true);
  ZQReceiveUploadBody(b, "application/octet-stream", "s.txt", settings);
  EXPECT_EQ(Read(dir / "sub" / "s.txt"), "sub");
  for (std::string out : {std::string("../escape.txt"), std::string("/tmp/escape.txt"),
                          std::string("sub/../../escape.txt"), std::string(".")}) {
    settings.OnGetFileName = [&](std::string&, std::string& name) { name = out; };
    PieceSource c("no", true);
    EXPECT_EQ(Error([&] { ZQReceiveUploadBody(c, "application/octet-stream", "e.txt", settings); }),
              "Filename \"" + out + "\" is outside the upload folder!");
  }
  EXPECT_FALSE(fs::exists(dir.parent_path() / "escape.txt"));
  // a link inside the folder that leads out of it
  fs::create_directories(dir / "outside");
  fs::create_directory_symlink(dir.parent_path(), dir / "link");
  settings.OnGetFileName = [](std::string&, std::string& name) { name = "link/" + name; };
  PieceSource d("no", true);
  EXPECT_NE(Error([&] { ZQReceiveUploadBody(d, "application/octet-stream", "l.txt", settings); }),
            "(no error)");
  EXPECT_FALSE(fs::exists(dir.parent_path() / "l.txt"));
  // the event may move the folder; the name must then lie in the new one
  settings.OnGetFileName = [&](std::string& path, std::string&) {
    path = (dir / "outside").string();
  };
  PieceSource e("moved", true);
  TZQUploadResult r = ZQReceiveUploadBody(e, "application/octet-stream", "m.txt", settings);
  EXPECT_EQ(fs::path(r.Path), dir / "outside" / "m.txt");
  EXPECT_EQ(Read(r.Path), "moved");
}

TEST_F(UploadReceiver, TheSizeCapRefusesWhileTheBodyStreams) {
  settings.SizeLimit = 10;
  // declared too long: refused before anything is read or created
  PieceSource declared(std::string(11, 'a'), true);
  EXPECT_EQ(
      Error([&] { ZQReceiveUploadBody(declared, "application/octet-stream", "a.txt", settings); }),
      "File \"a.txt\" is larger than the size limit of 10 bytes!");
  EXPECT_EQ(declared.taken, 0u);
  // unknown length: refused at the byte past the cap, the rest is not read
  PieceSource chunked(std::string(1000, 'a'), false, 4);
  EXPECT_EQ(
      Error([&] { ZQReceiveUploadBody(chunked, "application/octet-stream", "a.txt", settings); }),
      "File \"a.txt\" is larger than the size limit of 10 bytes!");
  EXPECT_LE(chunked.taken, 16u);
  // the file part of a multipart body is capped on its own bytes
  EXPECT_EQ(Error([&] { Multipart(Part("filename=\"m.txt\"", std::string(11, 'm')) + Close()); }),
            "File \"m.txt\" is larger than the size limit of 10 bytes!");
  Multipart(Part("filename=\"ok.txt\"", std::string(10, 'k')) + Close());
  EXPECT_EQ(Names(), std::vector<std::string>{"ok.txt"});
  // without a SizeLimit the host's maximum applies
  settings.SizeLimit = 0;
  GeneratedSource big(ZQUploadHostMaxBytes() + 1);
  EXPECT_EQ(
      Error([&] { ZQReceiveUploadBody(big, "application/octet-stream", "big.bin", settings); }),
      Format("File \"big.bin\" is larger than the size limit of %u bytes!",
             ZQUploadHostMaxBytes()));
  EXPECT_EQ(Names(), std::vector<std::string>{"ok.txt"});
}

TEST_F(UploadReceiver, TwoRacingUploadsOfOneNameHaveOneWinner) {
  // both pass the early existence test, then both finish writing at once
  for (int round = 0; round < 20; ++round) {
    const std::string name = "race" + std::to_string(round) + ".txt";
    std::latch gate(2);
    PieceSource a(std::string(3000, 'A'), true, 1000), b(std::string(3000, 'B'), true, 1000);
    a.gate = &gate;
    b.gate = &gate;
    std::string errA = "-", errB = "-";
    std::thread ta([&] {
      errA = Error([&] { ZQReceiveUploadBody(a, "application/octet-stream", name, settings); });
    });
    std::thread tb([&] {
      errB = Error([&] { ZQReceiveUploadBody(b, "application/octet-stream", name, settings); });
    });
    ta.join();
    tb.join();
    const std::string exists = "Filename \"" + name + "\" already exists in upload folder!";
    ASSERT_TRUE((errA == "(no error)" && errB == exists) ||
                (errB == "(no error)" && errA == exists))
        << errA << " / " << errB;
    EXPECT_EQ(Read(dir / name), std::string(3000, errA == "(no error)" ? 'A' : 'B'));
  }
  for (const std::string& n : Names()) EXPECT_EQ(n.rfind("race", 0), 0u) << "stray file " << n;
  EXPECT_EQ(Names().size(), 20u);
}

TEST_F(UploadReceiver, AFailedUploadKeepsTheExistingFile) {
  std::ofstream(dir / "keep.txt") << "original";
  settings.CanOverrideFile = true;
  const std::string body = Part("filename=\"keep.txt\"", std::string(4000, 'n')) + Close();
  EXPECT_EQ(Error([&] { Multipart(body.substr(0, body.size() - 20)); }),
            "Invalid multipart/form-data content!");
  EXPECT_EQ(Read(dir / "keep.txt"), "original");
  EXPECT_EQ(Names(), std::vector<std::string>{"keep.txt"});
  // an uncommitted file removes its temporary file
  {
    TZQUploadFile f((dir / "t.txt").string(), "t.txt", false);
    f.Write("partial");
    EXPECT_TRUE(fs::exists(f.TempPath()));
    EXPECT_EQ(fs::path(f.TempPath()).parent_path(), dir);
  }
  EXPECT_EQ(Names(), std::vector<std::string>{"keep.txt"});
}

TEST(UploadReplies, RepliesAreStrictJSON) {
  THTTPReply ok;
  ZQUploadReplySuccess(ok, false);
  EXPECT_EQ(ok.Body(), "{\"success\":true}");
  EXPECT_EQ(ok.ContentType(), "application/json");
  THTTPReply fail;
  ZQUploadReplyFailure(fail, "Filename \"a/b\u00e9.txt\" already exists in upload folder!", true);
  EXPECT_EQ(fail.ContentType(), "text/html");
  ISuperObject o = SO(fail.Body());
  ASSERT_TRUE(SOIsObject(o));
  EXPECT_FALSE(o->GetO("success")->AsBoolean());
  EXPECT_EQ(o->GetS("reason"), "Filename \"a/b\u00e9.txt\" already exists in upload folder!");
  // names quoted, no raw control or non-ASCII bytes
  EXPECT_NE(fail.Body().find("\"success\":false"), std::string::npos);
  EXPECT_NE(fail.Body().find("\"reason\":\""), std::string::npos);
  for (unsigned char c : fail.Body()) EXPECT_TRUE(c >= 0x20 && c < 0x80);
}

}  // namespace
}  // namespace zq
