// Parse and write throughput of the JSON document model against RapidJSON
// and nlohmann/json on the same texts:
//   chart    an array of 200,000 [x, y] double pairs
//   options  20,000 option objects of 5 to 20 members, three levels deep
//   text     50,000 strings with non-ASCII characters and characters to escape
// Each library parses the text into its own DOM and writes its DOM back to a
// std::string with non-ASCII characters escaped (the model's escape switch on;
// RapidJSON's ASCII target encoding; nlohmann's ensure_ascii).
//
// Prints, per case and direction:
//   json <case> <parse|write> vs_rapidjson=<ratio> vs_nlohmann=<ratio>
// where a ratio is the model's throughput divided by the other library's.
#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <random>
#include <string>

#include "bench/bench_timing.h"
#include "foundation/superobject.h"

namespace {

using zq::benchtiming::Best;
using zq::benchtiming::gSink;

void AppendNum(std::string& out, double d) {
  char buf[32];
  int n = std::snprintf(buf, sizeof buf, "%.15g", d);
  out.append(buf, static_cast<std::size_t>(n));
}

std::string ChartText() {
  std::mt19937_64 rng(42);
  std::uniform_real_distribution<double> dist(-1000.0, 1000.0);
  std::string s = "[";
  for (int i = 0; i < 200000; ++i) {
    if (i) s += ',';
    s += '[';
    AppendNum(s, i * 0.25 + dist(rng) * 1e-6);
    s += ',';
    AppendNum(s, dist(rng));
    s += ']';
  }
  s += ']';
  return s;
}

void OptionObject(std::string& s, std::mt19937_64& rng, int level) {
  static const char* kNames[] = {"show",   "hide",    "duration", "easing",  "delay",  "opacity",
                                 "width",  "height",  "title",    "modal",   "zIndex", "position",
                                 "effect", "classes", "disabled", "visible", "axis",   "label",
                                 "min",    "max",     "step",     "values"};
  int members = 5 + static_cast<int>(rng() % 16);
  bool nested = false;  // one sub-object per object, down to the third level
  s += '{';
  for (int m = 0; m < members; ++m) {
    if (m) s += ',';
    s += '"';
    s += kNames[(m * 7 + level) % 22];
    s += std::to_string(m);
    s += "\":";
    unsigned kind = static_cast<unsigned>(rng() % 7);
    if (kind == 6 && (nested || level >= 2)) kind = 2;
    if (kind == 6) nested = true;
    switch (kind) {
      case 0: s += std::to_string(static_cast<int>(rng() % 100000)); break;
      case 1: AppendNum(s, static_cast<double>(rng() % 1000000) / 7.0); break;
      case 2: s += "\"slide" + std::to_string(rng() % 1000) + "\""; break;
      case 3: s += (rng() & 1) ? "true" : "false"; break;
      case 4: s += "null"; break;
      case 5: s += "[1,2,\"three\"," + std::to_string(rng() % 50) + "]"; break;
      default: OptionObject(s, rng, level + 1); break;
    }
  }
  s += '}';
}

std::string OptionsText() {
  std::mt19937_64 rng(7);
  std::string s = "[";
  for (int i = 0; i < 20000; ++i) {
    if (i) s += ',';
    OptionObject(s, rng, 0);
  }
  s += ']';
  return s;
}

std::string TextText() {
  static const char* kParts[] = {"Olá",       "mundo",   "caf\xC3\xA9", "\\\"quoted\\\"", "line\\nbreak",
                                 "tab\\there", "\xE2\x82\xAC" "12,50", "na\xC3\xAFve",  "\xF0\x9F\x98\x80",
                                 "path\\/to",  "plain ascii words", "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E"};
  std::mt19937_64 rng(3);
  std::string s = "[";
  for (int i = 0; i < 50000; ++i) {
    if (i) s += ',';
    s += '"';
    int words = 3 + static_cast<int>(rng() % 6);
    for (int w = 0; w < words; ++w) {
      if (w) s += ' ';
      s += kParts[rng() % 13];
    }
    s += '"';
  }
  s += ']';
  return s;
}

struct Times {
  double parse, write;
};

Times RunModel(const std::string& text, int reps) {
  Times t{};
  t.parse = Best(reps, [&] {
    zq::ISuperObject o = zq::SO(text);
    if (!o) std::abort();
    gSink = gSink + o->AsArray()->Length();
  });
  zq::ISuperObject doc = zq::SO(text);
  std::string out;
  t.write = Best(reps, [&] {
    out = doc->AsJSon(false, true, true);
    gSink = gSink + out.size();
  });
  return t;
}

Times RunRapid(const std::string& text, int reps) {
  Times t{};
  t.parse = Best(reps, [&] {
    rapidjson::Document d;
    d.Parse(text.data(), text.size());
    if (d.HasParseError()) std::abort();
    gSink = gSink + d.Size();
  });
  rapidjson::Document doc;
  doc.Parse(text.data(), text.size());
  std::string out;
  t.write = Best(reps, [&] {
    rapidjson::StringBuffer buf;
    rapidjson::Writer<rapidjson::StringBuffer, rapidjson::UTF8<>, rapidjson::ASCII<>> w(buf);
    doc.Accept(w);
    out.assign(buf.GetString(), buf.GetSize());
    gSink = gSink + out.size();
  });
  return t;
}

Times RunNlohmann(const std::string& text, int reps) {
  Times t{};
  t.parse = Best(reps, [&] {
    nlohmann::json j = nlohmann::json::parse(text);
    gSink = gSink + j.size();
  });
  nlohmann::json doc = nlohmann::json::parse(text);
  std::string out;
  t.write = Best(reps, [&] {
    out = doc.dump(-1, ' ', true);
    gSink = gSink + out.size();
  });
  return t;
}

void Report(const char* name, const std::string& text, int reps) {
  Times m = RunModel(text, reps);
  Times r = RunRapid(text, reps);
  Times n = RunNlohmann(text, reps);
  double mb = static_cast<double>(text.size()) / 1e6;
  std::printf("# %s: %.1f MB; parse MB/s model %.0f rapidjson %.0f nlohmann %.0f; "
              "write MB/s model %.0f rapidjson %.0f nlohmann %.0f\n",
              name, mb, mb / m.parse, mb / r.parse, mb / n.parse, mb / m.write, mb / r.write,
              mb / n.write);
  std::printf("json %s parse vs_rapidjson=%.2f vs_nlohmann=%.2f\n", name, r.parse / m.parse,
              n.parse / m.parse);
  std::printf("json %s write vs_rapidjson=%.2f vs_nlohmann=%.2f\n", name, r.write / m.write,
              n.write / m.write);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  int reps = argc > 1 ? std::atoi(argv[1]) : 7;
  if (reps < 1) reps = 1;
  Report("chart", ChartText(), reps);
  Report("options", OptionsText(), reps);
  Report("text", TextText(), reps);
  return 0;
}
