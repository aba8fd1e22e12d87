// The option passes. Each takes one chunk (or, for the whole-document steps, the document),
// rewrites it in place and records its savings in its statistics slot.
#pragma once

#include <cstdint>

#include "run/engine.h"

namespace tsqz {

// Phrase-tag conversions and optional end-tag removal.
enum class TagRule : uint8_t {
    STRONGtoB,
    EMToI,
    CITEToI,
    ADDRESSToI,
    DFNToI,
    CODEToTT,
    SAMPToTT,
    KBDToTT,
    StripClosingP,
    StripClosingLI,
};
void ApplyTagRule(Engine& engine, Text& chunk, TagRule rule);

// Empty and redundant tag removal.
void RemoveEmptyTags(Engine& engine, Text& chunk);

// Attribute quote removal.
void RemoveAttributeQuotes(Engine& engine, Text& chunk);

// Character entities; the charset declaration, counted on its own or as part of the entities.
void CompressEntities(Engine& engine, Text& chunk);
void InsertCharsetDeclaration(Engine& engine, Text& chunk, bool own_count);
// Whether a text holds a UTF-8 byte-order mark or a well-formed UTF-8 multi-byte sequence.
bool HoldsUtf8Text(std::string_view text);

// Head and comment clean-up.
void RemoveComments(Engine& engine, Text& chunk);
void RemoveMetaTags(Engine& engine, Text& chunk);
void RemoveGeneratorMeta(Engine& engine, Text& chunk);
void RemoveDoctype(Engine& engine, Text& chunk);
void RemoveNonHTMLContent(Engine& engine, Text& chunk);

// Colour standardisation.
void StandardizeColors(Engine& engine, Text& chunk);

// Font tag compression.
void ShrinkFonts(Engine& engine, Text& chunk);

// Whitespace and line layout.
void ConvertLineEnds(Engine& engine, Text& chunk);
void RemoveUnneededSpaces(Engine& engine, Text& chunk);  // with keyword-list compaction
void RemoveEmptyLines(Engine& engine, Text& chunk);
void JoinLines(Engine& engine, Text& chunk);
void RewrapText(Engine& engine, Text& chunk);

// Script, ASP and style-sheet compression.
int32_t CompressScriptBlock(Engine& engine, Text& block);  // a script element or ASP code
void CompressStyleBlock(Engine& engine, Text& block);
void CompressASPDocument(Engine& engine, Text& document);

}  // namespace tsqz
