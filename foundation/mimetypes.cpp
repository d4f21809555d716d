#include "foundation/mimetypes.h"

#include <unordered_map>

#include "foundation/asciicase.h"

namespace zq {

namespace {

struct TypeRow {
  std::string_view type;
  std::initializer_list<std::string_view> extensions;
};

// Type <- extensions.
const std::vector<std::pair<std::string_view, std::string_view>>& BuildTable() {
  static const TypeRow kRows[] = {
      // web
      {"text/html", {"html", "htm", "shtml", "xhtm"}},
      {"application/xhtml+xml", {"xhtml", "xht"}},
      {"text/css", {"css"}},
      {"application/javascript", {"js", "mjs"}},
      {"application/json", {"json", "map"}},
      {"application/ld+json", {"jsonld"}},
      {"application/manifest+json", {"webmanifest"}},
      {"text/xml", {"xml", "xsl", "xsd", "dtd"}},
      {"application/xslt+xml", {"xslt"}},
      {"application/rss+xml", {"rss"}},
      {"application/atom+xml", {"atom"}},
      {"application/wasm", {"wasm"}},
      {"application/x-shockwave-flash", {"swf"}},
      {"application/java-archive", {"jar"}},
      // text
      {"text/plain", {"txt", "text", "log", "ini", "conf", "cfg"}},
      {"text/csv", {"csv"}},
      {"text/tab-separated-values", {"tsv"}},
      {"text/calendar", {"ics", "ifb"}},
      {"text/vcard", {"vcf", "vcard"}},
      {"text/markdown", {"md", "markdown"}},
      {"text/richtext", {"rtx"}},
      {"text/x-c", {"c", "cpp", "h"}},
      {"application/x-sh", {"sh"}},
      {"application/sql", {"sql"}},
      {"text/yaml", {"yaml", "yml"}},
      {"text/vnd.wap.wml", {"wml"}},
      {"text/vnd.wap.wmlscript", {"wmls"}},
      {"application/vnd.wap.wmlc", {"wmlc"}},
      {"application/vnd.wap.wbxml", {"wbxml"}},
      {"application/vnd.wap.wmlscriptc", {"wmlsc"}},
      {"application/vnd.wap.wbmxl", {"wbmxl"}},
      // images
      {"image/png", {"png"}},
      {"image/jpeg", {"jpg", "jpeg", "jpe", "jfif"}},
      {"image/gif", {"gif"}},
      {"image/bmp", {"bmp", "dib"}},
      {"image/svg+xml", {"svg", "svgz"}},
      {"image/x-icon", {"ico", "cur"}},
      {"image/webp", {"webp"}},
      {"image/avif", {"avif"}},
      {"image/tiff", {"tif", "tiff"}},
      {"image/heic", {"heic"}},
      {"image/jp2", {"jp2"}},
      {"image/heif", {"heif"}},
      {"image/vnd.djvu", {"djvu"}},
      {"image/vnd.wap.wbmp", {"wbmp"}},
      {"image/vnd.adobe.photoshop", {"psd"}},
      {"image/x-wmf", {"wmf"}},
      // audio
      {"audio/mpeg", {"mp3", "mpga", "mp2"}},
      {"audio/wav", {"wav"}},
      {"audio/ogg", {"oga", "ogg", "spx"}},
      {"audio/opus", {"opus"}},
      {"audio/flac", {"flac"}},
      {"audio/aac", {"aac"}},
      {"audio/mp4", {"m4a"}},
      {"audio/webm", {"weba"}},
      {"audio/midi", {"mid", "midi", "kar"}},
      {"audio/x-aiff", {"aif", "aiff", "aifc"}},
      {"audio/basic", {"au", "snd"}},
      {"audio/x-ms-wma", {"wma"}},
      {"audio/x-mpegurl", {"m3u"}},
      // video
      {"video/mp4", {"mp4", "m4v", "mp4v"}},
      {"video/mpeg", {"mpeg", "mpg", "mpe", "m1v"}},
      {"video/webm", {"webm"}},
      {"video/ogg", {"ogv"}},
      {"video/quicktime", {"mov", "qt"}},
      {"video/x-msvideo", {"avi"}},
      {"video/x-ms-wmv", {"wmv"}},
      {"video/x-flv", {"flv"}},
      {"video/x-matroska", {"mkv"}},
      {"video/3gpp", {"3gp"}},
      {"video/3gpp2", {"3g2"}},
      {"video/mp2t", {"ts"}},
      {"application/vnd.apple.mpegurl", {"m3u8"}},
      // fonts
      {"font/woff", {"woff"}},
      {"font/woff2", {"woff2"}},
      {"font/ttf", {"ttf"}},
      {"font/otf", {"otf"}},
      {"application/vnd.ms-fontobject", {"eot"}},
      // archives
      {"application/zip", {"zip"}},
      {"application/gzip", {"gz", "tgz"}},
      {"application/x-tar", {"tar"}},
      {"application/x-bzip", {"bz"}},
      {"application/x-bzip2", {"bz2"}},
      {"application/x-7z-compressed", {"7z"}},
      {"application/vnd.rar", {"rar"}},
      {"application/x-xz", {"xz"}},
      {"application/zstd", {"zst"}},
      {"application/x-iso9660-image", {"iso"}},
      {"application/vnd.android.package-archive", {"apk"}},
      {"application/x-apple-diskimage", {"dmg"}},
      // office and documents
      {"application/pdf", {"pdf"}},
      {"application/rtf", {"rtf"}},
      {"application/msword", {"doc", "dot"}},
      {"application/vnd.openxmlformats-officedocument.wordprocessingml.document", {"docx"}},
      {"application/vnd.openxmlformats-officedocument.wordprocessingml.template", {"dotx"}},
      {"application/vnd.ms-excel", {"xls", "xlt", "xla"}},
      {"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet", {"xlsx"}},
      {"application/vnd.openxmlformats-officedocument.spreadsheetml.template", {"xltx"}},
      {"application/vnd.ms-powerpoint", {"ppt", "pps", "pot"}},
      {"application/vnd.openxmlformats-officedocument.presentationml.presentation", {"pptx"}},
      {"application/vnd.openxmlformats-officedocument.presentationml.slideshow", {"ppsx"}},
      {"application/vnd.ms-access", {"mdb"}},
      {"application/vnd.visio", {"vsd"}},
      {"application/vnd.oasis.opendocument.text", {"odt"}},
      {"application/vnd.oasis.opendocument.spreadsheet", {"ods"}},
      {"application/vnd.oasis.opendocument.presentation", {"odp"}},
      {"application/epub+zip", {"epub"}},
      {"application/postscript", {"ps", "eps", "ai"}},
      {"application/x-tex", {"tex"}},
      {"message/rfc822", {"eml", "mht", "mhtml"}},
      {"application/x-x509-ca-cert", {"crt", "der", "cer"}},
      // binaries and others
      {"application/octet-stream", {"bin", "exe", "dll", "msi"}},
      {"application/x-httpd-php", {"php"}},
      {"application/vnd.google-earth.kml+xml", {"kml"}},
      {"application/vnd.google-earth.kmz", {"kmz"}},
  };
  static const auto* table = [] {
    auto* t = new std::vector<std::pair<std::string_view, std::string_view>>;
    for (const auto& row : kRows)
      for (auto ext : row.extensions) t->emplace_back(ext, row.type);
    return t;
  }();
  return *table;
}

}  // namespace

const std::vector<std::pair<std::string_view, std::string_view>>& ZQContentTypeTable() { return BuildTable(); }

std::string ZQGetContentTypeForExtension(std::string_view extension) {
  static const auto* index = [] {
    auto* m = new std::unordered_map<std::string, std::string_view>;
    for (const auto& [ext, type] : BuildTable()) m->emplace(std::string(ext), type);
    return m;
  }();
  if (!extension.empty() && extension.front() == '.') extension.remove_prefix(1);
  auto it = index->find(LowerAscii(extension));
  return it == index->end() ? std::string() : std::string(it->second);
}

}  // namespace zq
