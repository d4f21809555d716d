#include "foundation/mimetypes.h"

#include <gtest/gtest.h>

#include <set>

namespace zq {
namespace {

TEST(MimeTypes, LookupIgnoresCaseAndOneLeadingDot) {
  EXPECT_EQ(ZQGetContentTypeForExtension(".PNG"), "image/png");
  EXPECT_EQ(ZQGetContentTypeForExtension("png"), "image/png");
  EXPECT_EQ(ZQGetContentTypeForExtension("xyzw"), "");
  EXPECT_EQ(ZQGetContentTypeForExtension(""), "");
  EXPECT_EQ(ZQGetContentTypeForExtension("."), "");
  EXPECT_EQ(ZQGetContentTypeForExtension("..png"), "");  // only one dot is removed
}

TEST(MimeTypes, StandardTypes) {
  const std::pair<const char*, const char*> expected[] = {
      {"jpg", "image/jpeg"}, {"jpeg", "image/jpeg"}, {"gif", "image/gif"}, {"svg", "image/svg+xml"},
      {"css", "text/css"}, {"js", "application/javascript"}, {"json", "application/json"},
      {"html", "text/html"}, {"htm", "text/html"}, {"txt", "text/plain"}, {"xml", "text/xml"},
      {"pdf", "application/pdf"}, {"zip", "application/zip"}, {"bmp", "image/bmp"},
      {"woff2", "font/woff2"}, {"mp4", "video/mp4"}, {"mp3", "audio/mpeg"}, {"csv", "text/csv"},
      {"xlsx", "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet"},
      {"wbmxl", "application/vnd.wap.wbmxl"}, {"ico", "image/x-icon"}, {"webp", "image/webp"}};
  for (const auto& [ext, type] : expected) EXPECT_EQ(ZQGetContentTypeForExtension(ext), type) << ext;
}

TEST(MimeTypes, TableHasOneHundredSeventyTwoUniqueLowerCaseExtensions) {
  const auto& table = ZQContentTypeTable();
  EXPECT_EQ(table.size(), 172u);
  std::set<std::string_view> seen;
  for (const auto& [ext, type] : table) {
    EXPECT_TRUE(seen.insert(ext).second) << "duplicate " << ext;
    EXPECT_EQ(ext.find_first_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ."), std::string_view::npos) << ext;
    EXPECT_NE(type.find('/'), std::string_view::npos) << type;
  }
}

}  // namespace
}  // namespace zq
