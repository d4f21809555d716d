// Fuzz target for the lenient JSON parser and the writer.
//
// Every input must parse (or be rejected) without crashing; a document that
// parses must write, and the written text must parse again. Writing is
// stable from the second generation on: parse(write(parse(write(x)))) writes
// the same text as parse(write(x)). (The first generation may differ: a
// fixed-notation double reads back as currency, a raw byte that is not
// UTF-8 is written as the character of the same code, and so on.)
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "foundation/superobject.h"

namespace {

void CheckStable(const zq::ISuperObject& doc, bool indent, bool escape) {
  std::string w1 = doc->AsJSon(indent, escape, true);
  if (w1.empty()) __builtin_trap();  // parsed documents are shallow enough to write
  zq::ISuperObject d2 = zq::SO(w1);
  if (!d2) __builtin_trap();
  std::string w2 = d2->AsJSon(indent, escape, true);
  zq::ISuperObject d3 = zq::SO(w2);
  if (!d3) __builtin_trap();
  std::string w3 = d3->AsJSon(indent, escape, true);
  if (w2 != w3) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  zq::ISuperObject doc = zq::SO(text);
  if (!doc) return 0;
  CheckStable(doc, false, true);
  CheckStable(doc, true, true);
  CheckStable(doc, false, false);
  // Other views of the same document must not crash.
  (void)doc->AsJSon(false, false, false);
  (void)doc->AsString();
  (void)doc->AsInteger();
  (void)doc->AsDouble();
  (void)doc->AsCurrency();
  zq::ISuperObject copy = doc->Clone();
  if (copy->AsJSon() != doc->AsJSon()) __builtin_trap();
  copy->Merge(doc, false);
  return 0;
}
