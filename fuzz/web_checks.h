// The checks of the web template's fuzz target, shared with the structured generator
// (web_generator): what a run of MinifyWeb over one document must keep.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "web/web_minify.h"

namespace tsqz::fuzz {

// The rules a raw input switches off: bits 1-7 of its first byte and the bits of its second,
// one per rule in WebRule's order (bit 0 of the first byte chooses the input's form).
web::WebOptions WebOptionsFromBytes(uint8_t first, uint8_t second);
// The two leading bytes of a raw input (a document as written) with `options`' rules.
std::string WebOptionBytes(const web::WebOptions& options);

// The document of an input of the web fuzz target (at least two bytes): the bytes after the
// option bytes as written, or with bit 0 of the first byte set one fragment per byte from a
// list of fragments that meet the tokenizer's and tree builder's edges.
std::string WebFuzzDocument(const uint8_t* data, size_t size);

// Runs the web template over `doc` and returns what it broke, empty when nothing: the output
// must parse to the same tree, must not be longer, and a rule switched off must do nothing
// and count nothing (so with every rule off the document comes out as it went in). `out`
// receives the output.
std::string CheckWebDocument(std::string_view doc, const web::WebOptions& options, std::string& out);

}  // namespace tsqz::fuzz
