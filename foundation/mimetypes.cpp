#include "foundation/mimetypes.h"

#include <unordered_map>

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
      {"text/cache-manifest", {"appcache", "manifest"}},
      {"application/x-shockwave-flash", {"swf"}},
      {"application/java-archive", {"jar"}},
      {"application/x-java-jnlp-file", {"jnlp"}},
      // text
      {"text/plain", {"txt", "text", "log", "ini", "conf", "cfg", "def", "list", "in"}},
      {"text/csv", {"csv"}},
      {"text/tab-separated-values", {"tsv"}},
      {"text/calendar", {"ics", "ifb"}},
      {"text/vcard", {"vcf", "vcard"}},
      {"text/markdown", {"md", "markdown"}},
      {"text/richtext", {"rtx"}},
      {"text/x-c", {"c", "cc", "cpp", "cxx", "h", "hh", "hpp"}},
      {"text/x-java-source", {"java"}},
      {"text/x-pascal", {"pas", "dpr"}},
      {"text/x-python", {"py"}},
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
      {"image/heif", {"heif"}},
      {"image/jp2", {"jp2"}},
      {"image/vnd.wap.wbmp", {"wbmp"}},
      {"image/x-portable-anymap", {"pnm"}},
      {"image/x-portable-bitmap", {"pbm"}},
      {"image/x-portable-graymap", {"pgm"}},
      {"image/x-portable-pixmap", {"ppm"}},
      {"image/x-xbitmap", {"xbm"}},
      {"image/x-xpixmap", {"xpm"}},
      {"image/x-cmu-raster", {"ras"}},
      {"image/x-rgb", {"rgb"}},
      {"image/vnd.adobe.photoshop", {"psd"}},
      {"image/x-tga", {"tga"}},
      {"image/x-pcx", {"pcx"}},
      {"image/x-emf", {"emf"}},
      {"image/x-wmf", {"wmf"}},
      {"image/vnd.djvu", {"djvu", "djv"}},
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
      {"audio/x-pn-realaudio", {"ram", "ra"}},
      {"audio/amr", {"amr"}},
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
      {"video/x-sgi-movie", {"movie"}},
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
      {"application/x-compress", {"z"}},
      {"application/x-cpio", {"cpio"}},
      {"application/x-iso9660-image", {"iso"}},
      {"application/vnd.debian.binary-package", {"deb"}},
      {"application/x-rpm", {"rpm"}},
      {"application/vnd.android.package-archive", {"apk"}},
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
      {"application/vnd.ms-project", {"mpp"}},
      {"application/vnd.oasis.opendocument.text", {"odt"}},
      {"application/vnd.oasis.opendocument.spreadsheet", {"ods"}},
      {"application/vnd.oasis.opendocument.presentation", {"odp"}},
      {"application/vnd.oasis.opendocument.graphics", {"odg"}},
      {"application/epub+zip", {"epub"}},
      {"application/postscript", {"ps", "eps", "ai"}},
      {"application/x-latex", {"latex"}},
      {"application/x-tex", {"tex"}},
      {"application/x-dvi", {"dvi"}},
      {"application/vnd.ms-outlook", {"msg"}},
      {"message/rfc822", {"eml", "mht", "mhtml"}},
      {"application/x-x509-ca-cert", {"crt", "der", "cer"}},
      {"application/pkcs12", {"p12", "pfx"}},
      {"application/x-pem-file", {"pem"}},
      // binaries and others
      {"application/octet-stream", {"bin", "exe", "dll", "so", "dmg", "msi", "class", "dat"}},
      {"application/x-httpd-php", {"php"}},
      {"application/x-perl", {"pl", "pm"}},
      {"application/x-font-bdf", {"bdf"}},
      {"application/x-director", {"dcr", "dir", "dxr"}},
      {"application/vnd.google-earth.kml+xml", {"kml"}},
      {"application/vnd.google-earth.kmz", {"kmz"}},
      {"application/gpx+xml", {"gpx"}},
      {"model/gltf+json", {"gltf"}},
      {"model/gltf-binary", {"glb"}},
      {"model/stl", {"stl"}},
      {"model/obj", {"obj"}},
      {"x-world/x-vrml", {"vrml", "wrl"}},
      {"chemical/x-pdb", {"pdb"}},
      {"application/x-ms-shortcut", {"lnk"}},
      {"application/x-mspublisher", {"pub"}},
      {"application/onenote", {"one"}},
  };
  static const auto* table = [] {
    auto* t = new std::vector<std::pair<std::string_view, std::string_view>>;
    for (const auto& row : kRows)
      for (auto ext : row.extensions) t->emplace_back(ext, row.type);
    return t;
  }();
  return *table;
}

std::string Lower(std::string_view s) {
  std::string r(s);
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return r;
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
  auto it = index->find(Lower(extension));
  return it == index->end() ? std::string() : std::string(it->second);
}

}  // namespace zq
