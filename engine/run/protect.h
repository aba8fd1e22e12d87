// Protected blocks: regions cut out of the document before the option passes and put back
// after them (ASP code, the style block, script blocks, PLAINTEXT/LISTING/XMP/PRE).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tsqz {

struct Engine;
struct RunState;

// The stores a placeholder can stand for: the four literal kinds in the order they are cut
// out (their blocks are never changed), then script elements and the style element.
enum class BlockKind : uint8_t { kPlaintext, kListing, kXmp, kPre, kScript, kStyle };
using LiteralKind = BlockKind;  // the first four
inline constexpr size_t kLiteralKindCount = 4;
inline constexpr size_t kBlockKindCount = 6;

// At most this many script blocks, and this many literal blocks of all kinds together.
inline constexpr size_t kMaxStoredBlocks = 255;

// Per-document storage of the cut-out blocks, in the order they were cut out.
struct ProtectedStore {
    std::vector<std::string> asp;       // code between "<%" and "%>"; as many as the page has
    std::string style;                  // the first style element
    std::vector<std::string> scripts;   // whole script elements, and later style elements
    std::vector<std::string> literals;  // whole literal elements, kind by kind
    std::array<uint8_t, kLiteralKindCount> literal_count{};  // blocks stored per kind

    // The extraction steps that ran; only their kinds are put back.
    bool asp_ran = false;
    bool style_ran = false;
    bool script_ran = false;
    std::array<bool, kLiteralKindCount> literal_ran{};

    // Kept for the restore of a document whose placeholders the passes disturbed: the
    // document as extraction found it, the run state at that moment, and whether the
    // document holds text from which a pass could assemble a placeholder of its own.
    std::string original;
    std::shared_ptr<const RunState> run_before;
    bool near_placeholders = false;

    void Clear() { *this = ProtectedStore{}; }
};

// What a text holds of placeholder text, per kind (PLAINTEXT, LISTING, XMP, PRE, script,
// style): the whole placeholders, and with `with_partials` whether the middle of one ("@PRE"
// or "PRE@") stands outside every whole one. Adds to the census. Found from the text's "@"
// bytes alone, since each of these texts holds one.
struct PlaceholderCensus {
    std::array<size_t, 6> whole{};
    std::array<bool, 6> partial{};
};
void CountPlaceholderText(std::string_view text, bool with_partials, PlaceholderCensus& census);

// Cuts every protected block out of the document in the pipeline's order: ASP code if the
// document contains "<%", the style block if it contains "<style", script blocks (with the
// style elements after the first, uncompressed) if it contains "<script" or more style
// elements, then PLAINTEXT, LISTING, XMP and PRE blocks (each kind only while fewer than 255
// literal blocks are stored). Script, ASP and style code is compressed as it
// is cut out, as the options say. Returns 0, or the code that ends the run: -12 (ASP code
// or a script without its end), -10 (style), -5 (256th script), -6 (256th literal block),
// -2 (literal block without its end tag), -24 (the document already holds placeholder text
// of a kind it also has blocks of). Counts the errors the way each step prescribes.
int32_t ExtractProtectedBlocks(Engine& engine, std::string& document);

// The option passes over a whole document as the run applied them between extraction and
// restore (the pipeline's RunOptionPasses). False when the document cannot be cut.
using PassRunner = bool (*)(Engine& engine, std::string& document);

// Puts the blocks back: literal kinds, script blocks, the style block, then ASP code. Every
// block returns at its own placeholder, or is dropped together with a placeholder that a
// pass removed. Returns 0, -3 when the style placeholder is gone (the rest is still put back),
// or -24 when the disturbed placeholders cannot be matched to their blocks; the document is
// then the one extraction found, with no pass applied. To match placeholders the passes
// disturbed, the restore runs the passes once more (on a copy of the engine); `passes` must be
// what ran between extraction and restore.
int32_t RestoreProtectedBlocks(Engine& engine, std::string& document, PassRunner passes);

}  // namespace tsqz
