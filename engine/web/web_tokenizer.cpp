// HTML tokenizer of the web template: the browser's tokenization states over raw bytes.
#include "web/web_tokenizer.h"

#include "web/web_tables.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace tsqz::web {

static bool IsAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

static bool StartsWithIgnoringCase(std::string_view s, size_t pos, std::string_view prefix) {
    return s.size() - pos >= prefix.size() && EqualsIgnoringCase(s.substr(pos, prefix.size()), prefix);
}

// The end of a comment whose content begins at `p` (after "<!--"): past its "-->" or "--!>",
// or the end of the input; `content_end` is where its content ends.
size_t CommentEnd(std::string_view in, size_t p, size_t& content_end) {
    if (p < in.size() && in[p] == '>') {  // "<!-->"
        content_end = p;
        return p + 1;
    }
    if (in.compare(p, 2, "->") == 0) {  // "<!--->"
        content_end = p;
        return p + 2;
    }
    size_t q = p;
    for (;;) {
        size_t dd = in.find("--", q);
        if (dd == std::string_view::npos) return content_end = in.size();
        size_t after = dd + 2;
        // Further dashes stay in the comment: "--->" ends at its last "--".
        while (after < in.size() && in[after] == '-') ++after;
        if (after < in.size() && in[after] == '>') {
            content_end = after - 2;
            return after + 1;
        }
        if (after + 1 < in.size() && in[after] == '!' && in[after + 1] == '>') {
            content_end = after - 2;
            return after + 2;
        }
        q = after;
    }
}

bool Tokenizer::Next(Token& t) {
    if (done_) return false;
    t.name.clear();
    t.attributes.clear();
    t.bogus = t.self_closing = t.foreign = t.ignored_in_select = t.left_foreign = false;
    t.unfollowed = unfollowed_ = false;
    t.ns = Namespace::Html;
    t.begin = pos_;
    if (pos_ >= in_.size()) {
        t.kind = TokenKind::Eof;
        t.end = pos_;
        done_ = true;
        return true;
    }
    switch (state_) {
    case TextState::Data: break;
    case TextState::Plaintext:
        t.kind = TokenKind::Text;
        t.text_state = TextState::Plaintext;
        pos_ = t.end = in_.size();
        return true;
    case TextState::Rcdata:
    case TextState::Rawtext:
        if (AppropriateEndTagAt(pos_)) {
            state_ = TextState::Data;
            ReadTag(t, true);
            return true;
        }
        ReadRawText(t);
        return true;
    case TextState::ScriptData:
        if (AppropriateEndTagAt(pos_)) {
            state_ = TextState::Data;
            ReadTag(t, true);
            return true;
        }
        ReadScriptData(t);
        return true;
    }
    if (in_[pos_] == '<' && pos_ + 1 < in_.size()) {
        char c = in_[pos_ + 1];
        if (IsAlpha(c)) {
            ReadTag(t, false);
            return true;
        }
        if (c == '!') {
            ReadMarkupDeclaration(t);
            return true;
        }
        if (c == '?') {
            pos_ += 1;  // the "?" belongs to the comment's content
            ReadBogusComment(t, pos_);
            return true;
        }
        if (c == '/' && pos_ + 2 < in_.size()) {
            char d = in_[pos_ + 2];
            if (IsAlpha(d)) {
                ReadTag(t, true);
                return true;
            }
            if (d == '>') {  // "</>" is dropped by the browser; keep it as an empty comment
                t.kind = TokenKind::Comment;
                t.bogus = true;
                pos_ += 3;
                t.content_begin = t.content_end = pos_;
                t.end = pos_;
                return true;
            }
            pos_ += 2;
            ReadBogusComment(t, pos_);
            return true;
        }
    }
    ReadData(t);
    if (!open_.empty() && open_.back().table_mode) AfterColumnGroupText(t);
    return true;
}

// Data: up to the next "<" that opens markup.
void Tokenizer::ReadData(Token& t) {
    t.kind = TokenKind::Text;
    t.text_state = TextState::Data;
    size_t p = pos_ + 1;  // the first byte is text even when it is a "<"
    for (;;) {
        p = FindByte(in_, p, '<');
        if (p == in_.size()) break;
        if (p + 1 < in_.size()) {
            char c = in_[p + 1];
            if (IsAlpha(c) || c == '!' || c == '?') break;
            if (c == '/' && p + 2 < in_.size()) break;
        }
        ++p;
    }
    pos_ = t.end = p;
}

void Tokenizer::ReadBogusComment(Token& t, size_t content_begin) {
    t.kind = TokenKind::Comment;
    t.bogus = true;
    t.content_begin = content_begin;
    size_t gt = in_.find('>', content_begin);
    if (gt == std::string_view::npos) {
        t.content_end = pos_ = t.end = in_.size();
    } else {
        t.content_end = gt;
        pos_ = t.end = gt + 1;
    }
}

void Tokenizer::ReadMarkupDeclaration(Token& t) {
    size_t p = pos_ + 2;
    if (in_.compare(p, 2, "--") == 0) {
        t.kind = TokenKind::Comment;
        t.content_begin = p + 2;
        pos_ = t.end = CommentEnd(in_, p + 2, t.content_end);
        return;
    }
    if (StartsWithIgnoringCase(in_, p, "doctype")) {
        t.kind = TokenKind::Doctype;
        t.content_begin = p + 7;
        size_t gt = in_.find('>', p + 7);
        if (gt == std::string_view::npos) {
            t.content_end = pos_ = t.end = in_.size();
        } else {
            t.content_end = gt;
            pos_ = t.end = gt + 1;
        }
        return;
    }
    if (in_.compare(p, 7, "[CDATA[") == 0 && !open_.empty() && open_.back().ns != Namespace::Html) {
        t.kind = TokenKind::Cdata;
        t.content_begin = p + 7;
        size_t close = in_.find("]]>", p + 7);
        if (close == std::string_view::npos) {
            t.content_end = pos_ = t.end = in_.size();
        } else {
            t.content_end = close;
            pos_ = t.end = close + 3;
        }
        return;
    }
    pos_ = p;
    ReadBogusComment(t, p);
}

// A start or end tag from its "<". A tag cut off by the end of the input is dropped by the
// browser, so it becomes an Unfinished token.
void Tokenizer::ReadTag(Token& t, bool end) {
    const size_t n = in_.size();
    size_t p = pos_ + (end ? 2 : 1);
    t.kind = end ? TokenKind::EndTag : TokenKind::StartTag;
    const size_t name_begin = p;
    // Most names are written in lower case: one is lowered only when it holds a capital.
    uint8_t seen = 0;
    for (; p < n; ++p) {
        const uint8_t kind = kTagStops[static_cast<unsigned char>(in_[p])];
        if (kind & kNameEnd) break;
        seen |= kind;
    }
    t.name.assign(in_.data() + name_begin, p - name_begin);
    if (seen & kUpper)
        for (char& c : t.name) c = LowerAscii(c);
    t.element = ElementId(t.name);
    const size_t tag_end = WalkTag(in_, p, t.self_closing, [&](const Attribute& a) { t.attributes.push_back(a); });
    if (tag_end == std::string_view::npos) {
        t.kind = TokenKind::Unfinished;
        t.self_closing = false;
        t.attributes.clear();
        pos_ = t.end = n;
        return;
    }
    pos_ = t.end = tag_end;
    if (end) AfterEndTag(t); else AfterStartTag(t);
    t.unfollowed = unfollowed_;
}

// RCDATA and RAWTEXT: up to the end tag of the element that opened them.
void Tokenizer::ReadRawText(Token& t) {
    t.kind = TokenKind::Text;
    t.text_state = state_;
    pos_ = t.end = RawTextEnd(in_, pos_, raw_end_);
}

size_t RawTextEnd(std::string_view in, size_t p, std::string_view name) {
    for (;;) {
        size_t lt = in.find("</", p);
        if (lt == std::string_view::npos) return in.size();
        if (AppropriateEndTag(in, lt, name)) return lt;
        p = lt + 1;
    }
}

bool AppropriateEndTag(std::string_view in, size_t pos, std::string_view name) {
    size_t len = name.size();
    if (in.compare(pos, 2, "</") != 0 || in.size() - pos < len + 3) return false;
    if (!EqualsIgnoringCase(in.substr(pos + 2, len), name)) return false;
    char c = in[pos + 2 + len];
    return IsHtmlSpace(c) || c == '/' || c == '>';
}

bool Tokenizer::AppropriateEndTagAt(size_t pos) const { return AppropriateEndTag(in_, pos, raw_end_); }

// Script data with its escaped ("<!--") and double-escaped ("<!--<script>") states: the end
// tag "</script" only ends the element outside the double-escaped state.
void Tokenizer::ReadScriptData(Token& t) {
    t.kind = TokenKind::Text;
    t.text_state = TextState::ScriptData;
    pos_ = t.end = ScriptDataEnd(in_, pos_, raw_end_);
}

size_t ScriptDataEnd(std::string_view in, size_t from, std::string_view name) {
    enum { Plain, Escaped, EscapedDash, EscapedDashDash, Double, DoubleDash, DoubleDashDash } s = Plain;
    const size_t n = in.size();
    size_t p = from;
    auto end_tag_at = [&](size_t at) { return AppropriateEndTag(in, at, name); };
    auto tag_word_at = [&](size_t q, std::string_view word) {
        // "script" followed by white space, "/" or ">".
        if (n - q < word.size() + 1 || !EqualsIgnoringCase(in.substr(q, word.size()), word)) return false;
        char c = in[q + word.size()];
        return IsHtmlSpace(c) || c == '/' || c == '>';
    };
    while (p < n) {
        char c = in[p];
        switch (s) {
        case Plain:
            if (c != '<') {  // nothing but "<" leaves this state: on to the next one
                const void* lt = std::memchr(in.data() + p, '<', n - p);
                p = lt ? static_cast<size_t>(static_cast<const char*>(lt) - in.data()) : n;
                continue;
            }
            if (c == '<') {
                if (end_tag_at(p)) goto done;
                if (in.compare(p, 4, "<!--") == 0) {
                    s = EscapedDashDash;
                    p += 4;
                    continue;
                }
            }
            ++p;
            continue;
        case Escaped:
        case EscapedDash:
        case EscapedDashDash:
            if (c == '-') {
                s = s == Escaped ? EscapedDash : EscapedDashDash;
                ++p;
            } else if (c == '<') {
                if (end_tag_at(p)) goto done;
                if (p + 1 < n && IsAlpha(in[p + 1])) {
                    size_t q = p + 1;
                    while (q < n && IsAlpha(in[q])) ++q;
                    if (q < n && (q - p - 1) == 6 && tag_word_at(p + 1, "script")) {
                        s = Double;
                        p = q + 1;
                    } else {
                        s = Escaped;
                        p = q;
                    }
                } else {
                    s = Escaped;
                    ++p;
                }
            } else if (c == '>' && s == EscapedDashDash) {
                s = Plain;
                ++p;
            } else {
                s = Escaped;
                ++p;
            }
            continue;
        case Double:
        case DoubleDash:
        case DoubleDashDash:
            if (c == '-') {
                s = s == Double ? DoubleDash : DoubleDashDash;
                ++p;
            } else if (c == '<') {
                if (p + 1 < n && in[p + 1] == '/') {
                    size_t q = p + 2;
                    while (q < n && IsAlpha(in[q])) ++q;
                    if (q < n && (q - p - 2) == 6 && tag_word_at(p + 2, "script")) {
                        s = Escaped;
                        p = q + 1;
                    } else {
                        s = Double;
                        p = q;
                    }
                } else {
                    s = Double;
                    ++p;
                }
            } else if (c == '>' && s == DoubleDashDash) {
                s = Plain;
                ++p;
            } else {
                s = Double;
                ++p;
            }
            continue;
        }
    }
done:
    if (p == from) p = n;  // cannot happen: the end tag is checked before reading
    return p;
}

namespace {
// Row numbers of the elements the model of open elements asks about: HTML elements on the
// stack compare by row instead of by name.
struct StackIds {
    uint32_t select = Row("select"), template_ = Row("template"), table = Row("table"),
             button = Row("button"), html = Row("html"), p = Row("p"), td = Row("td"), th = Row("th"),
             caption = Row("caption"), col = Row("col"), tbody = Row("tbody"), tr = Row("tr");
    uint32_t thead = Row("thead"), tfoot = Row("tfoot"), colgroup = Row("colgroup"), li = Row("li"),
             dd = Row("dd"), dt = Row("dt"), address = Row("address"), div = Row("div"), form = Row("form");
    uint32_t option = Row("option"), optgroup = Row("optgroup");
    static uint32_t Row(std::string_view name) { return static_cast<uint32_t>(ElementId(name)); }
};
const StackIds kStackIds;
const StackIds& Ids() { return kStackIds; }
}  // namespace

size_t& Tokenizer::UnlistedCount(std::string_view name) { return unlisted_count_[std::string(name)]; }

namespace {
// The listed elements' names by ElementId, built once for every run.
const std::vector<std::string_view>& ListedNames() {
    static const std::vector<std::string_view> names = [] {
        std::vector<std::string_view> all;
        for (size_t i = 0; i < ElementCount(); ++i) all.push_back(ElementName(i));
        return all;
    }();
    return names;
}
}  // namespace

Tokenizer::Tokenizer(std::string_view input)
    : in_(input),
      listed_names_(ListedNames().data()),
      listed_size_(static_cast<uint32_t>(ListedNames().size())),
      listed_count_(ElementCount(), 0) {}

uint32_t Tokenizer::UnlistedNameIndex(std::string_view name) {
    auto [entry, added] =
        name_index_.try_emplace(std::string(name), static_cast<uint32_t>(listed_size_ + names_.size()));
    if (added) names_.push_back(entry->first);
    return entry->second;
}

// Text other than white space ends a column group (the table's rules then move it out of the
// table).
void Tokenizer::AfterColumnGroupText(const Token& t) {
    if (open_.back().id != Ids().colgroup) return;
    for (size_t p = t.begin; p < t.end; ++p)
        if (!IsHtmlSpace(in_[p])) {
            PopUntil(open_.size() - 1);
            return;
        }
}

void Tokenizer::Push(std::string_view name, Namespace ns, size_t id) {
    if (ns != Namespace::Html) id = ElementCount();
    bool table_mode = !open_.empty() && open_.back().table_mode;
    const StackIds& ids = Ids();
    if (ns == Namespace::Html) {
        if (ElementFlagsOf(id) & kTablePart) table_mode = true;
        else if (id == ids.td || id == ids.th || id == ids.caption || id == ids.template_) table_mode = false;
    }
    uint32_t p_in_scope = 0;
    if (ns == Namespace::Html && id == ids.p) p_in_scope = static_cast<uint32_t>(open_.size() + 1);
    else if (ns == Namespace::Html && !(ElementFlagsOf(id) & kScopeBoundary) && id != ids.button && !open_.empty())
        p_in_scope = open_.back().p_in_scope;
    open_.push_back({NameIndex(name, id), static_cast<uint32_t>(id), ns, table_mode, kContentUndecided, kStandsForTable, p_in_scope,
                     false});
    if (ns == Namespace::Html) ++HtmlCount(name, id); else ++foreign_depth_;
}

bool Tokenizer::ForeignContext() const {
    return !open_.empty() && open_.back().ns != Namespace::Html;
}

void Tokenizer::PopUntil(size_t depth, size_t listed_from) {
    while (open_.size() > depth) {
        if (open_.back().ns == Namespace::Html) {
            if (open_.back().id == Ids().select) --select_depth_;
            if (foreign_depth_ > 0 && open_.size() > listed_from && (ElementFlagsOf(open_.back().id) & kFormatting))
                unfollowed_ = true;
            --HtmlCount(NameOf(open_.back()), open_.back().id);
        } else {
            --foreign_depth_;
        }
        open_.pop_back();
    }
}

// A formatting element's end tag, as the parser's adoption agency leaves the open elements:
// with no special element (a block, a heading, a list item, ...) above it, the element closes
// with everything above it; otherwise each special element above it stays open, each taking a
// copy of it and of the formatting elements between, and what is above the last one closes.
// Other elements between go. With SVG or MathML above it, it closes with everything above it
// too: the end tag then counts as leaving foreign content, and the rest stays as written.
void Tokenizer::CloseFormatting(size_t at) {
    size_t last_special = 0;
    for (size_t k = at + 1; k < open_.size(); ++k) {
        if (open_[k].ns != Namespace::Html) {
            last_special = 0;
            break;
        }
        if (ElementFlagsOf(open_[k].id) & kSpecial) last_special = k;
    }
    // The element itself leaves the list, and those kept are open again: only formatting
    // elements above the last special one stay listed but closed.
    if (last_special == 0) {
        PopUntil(at, at + 1);
        return;
    }
    std::vector<Open> kept;
    for (size_t k = at + 1; k <= last_special; ++k)
        if (ElementFlagsOf(open_[k].id) & (kSpecial | kFormatting)) kept.push_back(open_[k]);
    PopUntil(at, last_special + 1);
    for (const Open& e : kept) Push(NameOf(e), e.ns, e.id);
}

// The place past the select element whose content the parser is in, or 0: the innermost
// select, unless a template was opened after it (a template's content follows the body's
// rules until the template ends, whatever holds it).
size_t Tokenizer::OpenSelect() const {
    if (select_depth_ == 0) return 0;
    for (size_t j = open_.size(); j > 0; --j) {
        if (open_[j - 1].ns != Namespace::Html) continue;
        if (open_[j - 1].id == Ids().select) return j;
        if (open_[j - 1].id == Ids().template_) return 0;
    }
    return 0;
}

static bool IsHeading(std::string_view name) {
    return name.size() == 2 && name[0] == 'h' && name[1] >= '1' && name[1] <= '6';
}

// The SVG and MathML elements that bound an element's scope (the places where SVG or MathML
// may hand content to the HTML rules).
static bool IsForeignScopeBoundary(std::string_view name, Namespace ns) {
    if (ns == Namespace::Svg)
        return EqualsIgnoringCase(name, "foreignobject") || name == "desc" || name == "title";
    if (ns == Namespace::MathMl)
        return name == "mi" || name == "mo" || name == "mn" || name == "ms" || name == "mtext" ||
               name == "annotation-xml";
    return false;
}

// The integration points: all of those but an annotation-xml without an HTML encoding.
bool Tokenizer::HandsToHtml(const Open& e) const {
    const std::string_view name = NameOf(e);
    return IsForeignScopeBoundary(name, e.ns) && (name != "annotation-xml" || e.html_encoding);
}

// Whether an annotation-xml start tag's first "encoding" attribute names HTML, as the parser
// compares it (ASCII case ignored); a value with a character reference is not decoded here.
static bool HtmlEncoding(std::string_view in, const Token& t, bool& unknown) {
    for (const Attribute& a : t.attributes) {
        if (!EqualsIgnoringCase(in.substr(a.name_begin, a.name_end - a.name_begin), "encoding")) continue;
        std::string_view value = in.substr(a.value_begin, a.value_end - a.value_begin);
        if (value.find('&') != std::string_view::npos) unknown = true;
        return EqualsIgnoringCase(value, "text/html") || EqualsIgnoringCase(value, "application/xhtml+xml");
    }
    return false;
}

void Tokenizer::AfterStartTag(Token& t) {
    const TagName& name = t.name;
    if (ForeignContext()) {
        const Open& cur = open_.back();
        const std::string_view cur_name = NameOf(cur);
        bool html_rules = HandsToHtml(cur) && !(cur.ns == Namespace::MathMl && cur_name != "annotation-xml" &&
                                                (name == "mglyph" || name == "malignmark"));
        // An annotation-xml without an HTML encoding hands only "svg" to the HTML rules.
        if (cur.ns == Namespace::MathMl && cur_name == "annotation-xml" && name == "svg") html_rules = true;
        if (!html_rules) {
            bool breakout = IsForeignBreakout(name);
            if (name == "font") {
                for (const Attribute& a : t.attributes) {
                    std::string_view an = in_.substr(a.name_begin, a.name_end - a.name_begin);
                    if (EqualsIgnoringCase(an, "color") || EqualsIgnoringCase(an, "face") ||
                        EqualsIgnoringCase(an, "size"))
                        breakout = true;
                }
            }
            if (!breakout) {
                t.foreign = true;
                t.ns = cur.ns;
                if (!t.self_closing) {
                    Push(name, cur.ns, t.element);
                    if (t.ns == Namespace::MathMl && name == "annotation-xml")
                        open_.back().html_encoding = HtmlEncoding(in_, t, unfollowed_);
                }
                return;
            }
            while (!open_.empty() && open_.back().ns != Namespace::Html && !HandsToHtml(open_.back()))
                PopUntil(open_.size() - 1);
        }
    }
    const StackIds& ids = Ids();
    const uint32_t flags = ElementFlagsOf(t.element);
    const bool table_part = flags & kTableContent;
    // A column group ends at any start tag but a column's, a template's or html's; the table's
    // rules then read the tag.
    if (!open_.empty() && open_.back().id == ids.colgroup && t.element != ids.col && t.element != ids.template_ &&
        t.element != ids.html)
        PopUntil(open_.size() - 1);
    // A template's first start tag (but one that goes into a head) fixes the rules its
    // content is read by. (A foreign element's id is never a listed one.)
    const bool first_in_template = !open_.empty() && open_.back().id == ids.template_ &&
                                   open_.back().content == kContentUndecided && !(flags & kHeadContent);
    if (first_in_template) {
        open_.back().content = table_part ? kContentTableRules : kContentBodyRules;
        // A row first: a row group's rules; a cell first: a row's; the other parts a table's.
        if (t.element == ids.tr) open_.back().stands_for = kStandsForRowGroup;
        else if (t.element == ids.td || t.element == ids.th) open_.back().stands_for = kStandsForRow;
    }
    const size_t select = OpenSelect();
    if ((name == "svg" || name == "math") && select > 0) {
        // Dropped by a select in the older parsing rules, kept by newer ones.
        t.ignored_in_select = true;
        return;
    }
    if (name == "svg" || name == "math") {
        t.foreign = true;
        t.ns = name == "svg" ? Namespace::Svg : Namespace::MathMl;
        if (!t.self_closing) Push(name, t.ns, t.element);
        return;
    }
    if (select > 0) {
        // The select closes before another select and before controls; most other elements
        // are dropped inside it, and so do not switch the tokenizer.
        const size_t j = select;
        // In a table's rules where the nearest table or template around the select is a table,
        // or a template whose content those rules read.
        bool in_table = false;
        for (size_t k = j - 1; k > 0; --k) {
            const Open& e = open_[k - 1];
            if (e.ns != Namespace::Html || (e.id != ids.table && e.id != ids.template_)) continue;
            in_table = e.id == ids.table || e.content == kContentTableRules;
            break;
        }
        bool table_tag = name == "caption" || name == "table" || name == "tbody" || name == "tfoot" ||
                         name == "thead" || name == "tr" || name == "td" || name == "th";
        if (name == "select" || name == "input" || name == "keygen" || name == "textarea" ||
            (in_table && table_tag)) {
            PopUntil(j - 1);
            if (name == "select") return;
        } else if (IsIgnoredInSelect(name)) {
            t.ignored_in_select = true;
            return;
        }
    }
    // A start tag that closes a paragraph in button scope pops it and what is open above it,
    // as the tree builder does (a table only outside quirks mode, which is not known here:
    // not followed); left open, a later "</p>" would seem to close more than the paragraph.
    // The form element pointer: while it is set (only "</form>" clears it) the parser drops a
    // form start tag outside a template; by a table's rules a form opens and closes at once.
    if (t.element == ids.form && OpenSelect() == 0) {
        const bool in_template = HtmlCount("template", ids.template_) > 0;
        if (!in_template) {
            if (form_pointer_) return;
            form_pointer_ = true;
        }
        if (!open_.empty() && open_.back().table_mode) return;
    }
    // An option's or optgroup's start tag closes an option that is the current node; in a
    // select, an optgroup's then also closes an optgroup that is.
    if (t.element == ids.option || t.element == ids.optgroup) {
        auto current_is = [&](uint32_t id) { return !open_.empty() && open_.back().ns == Namespace::Html && open_.back().id == id; };
        if (current_is(ids.option)) PopUntil(open_.size() - 1);
        if (t.element == ids.optgroup && select > 0 && current_is(ids.optgroup)) PopUntil(open_.size() - 1);
    }
    // A list item's start tag first closes the open list item (for dd and dt, one of either),
    // unless a special element other than address, div or p stands in between.
    if ((t.element == ids.li || t.element == ids.dd || t.element == ids.dt) && OpenSelect() == 0) {
        for (size_t k = open_.size(); k > 0; --k) {
            const Open& e = open_[k - 1];
            if (e.ns != Namespace::Html) {
                if (IsForeignScopeBoundary(NameOf(e), e.ns)) break;
                continue;
            }
            if (t.element == ids.li ? e.id == ids.li : (e.id == ids.dd || e.id == ids.dt)) {
                PopUntil(k - 1);
                break;
            }
            if ((ElementFlagsOf(e.id) & kSpecial) && e.id != ids.address && e.id != ids.div && e.id != ids.p) break;
        }
    }
    if ((flags & kStartClosesP) && name != "table" && !open_.empty() && open_.back().p_in_scope > 0 &&
        OpenSelect() == 0)
        PopUntil(open_.back().p_in_scope - 1);
    if (OpenSelect() == 0) {
        // A heading's start tag closes a heading that is the current node (of any rank); a
        // button's closes a button in scope with all that is open inside it. Left open, they
        // would let a later end tag close more than the parser does (SVG content among it).
        if (IsHeading(name) && !open_.empty() && open_.back().ns == Namespace::Html && IsHeading(NameOf(open_.back())))
            PopUntil(open_.size() - 1);
        if (t.element == ids.button && HtmlCount("button", ids.button) > 0) {
            for (size_t k = open_.size(); k > 0; --k) {
                const Open& e = open_[k - 1];
                if (e.ns != Namespace::Html) {
                    if (IsForeignScopeBoundary(NameOf(e), e.ns)) break;
                    continue;
                }
                if (e.id == ids.button) {
                    PopUntil(k - 1);
                    break;
                }
                if ((ElementFlagsOf(e.id) & kScopeBoundary) || e.id == ids.template_ || e.id == ids.html) break;
            }
        }
    }
    // Outside a table, and in a template whose first start tag was not a table's part, the
    // parser drops a table's parts: a cell there is no scope boundary that would keep a
    // heading's end tag from closing SVG content before it.
    if (table_part) {
        size_t j = open_.size();
        while (j > 0 && !(open_[j - 1].ns == Namespace::Html &&
                          (open_[j - 1].id == ids.table || open_[j - 1].id == ids.template_)))
            --j;
        if (j == 0 || open_[j - 1].content == kContentBodyRules) return;
        // SVG or MathML content above that table or template: the parser's table rules close
        // it first (back to the table, row, cell or caption), which is not followed here.
        for (size_t k = j; k < open_.size(); ++k)
            if (open_[k].ns != Namespace::Html) unfollowed_ = true;
        // The table's rules clear the stack back to the table's own parts first: what the
        // table moved out of itself and what a cell or caption holds close. A cell stays in
        // the nearest row (or row group), a row in the nearest row group; the other parts go
        // into the table (or template) itself, a column into a column group.
        if (t.element == ids.col && open_.back().id == ids.colgroup) return;
        // A column first in a template's content stands in the template itself, whose rules
        // are then a column group's with no group open: they drop every later start tag but a
        // column's or a template's, which is not followed here.
        if (t.element == ids.col && first_in_template) unfollowed_ = true;
        size_t keep = j;
        if (t.element == ids.td || t.element == ids.th || t.element == ids.tr) {
            for (size_t k = open_.size(); k > j; --k) {
                const Open& e = open_[k - 1];
                if (e.ns == Namespace::Html && (e.id == ids.tbody || e.id == ids.thead || e.id == ids.tfoot ||
                                                (e.id == ids.tr && t.element != ids.tr))) {
                    keep = k;
                    break;
                }
            }
        }
        PopUntil(keep);
        // Right in a template's content that stands for a row, the parser drops every part
        // but a cell (no row is in table scope); in one that stands for a row group, every
        // part but a row or cell. What was open in it closed all the same.
        if (keep == j && open_[j - 1].id == ids.template_) {
            const uint8_t stands_for = open_[j - 1].stands_for;
            const bool cell = t.element == ids.td || t.element == ids.th;
            if ((stands_for == kStandsForRow && !cell) ||
                (stands_for == kStandsForRowGroup && !cell && t.element != ids.tr))
                return;
        }
        if (t.element == ids.col) Push("colgroup", Namespace::Html, ids.colgroup);
    }
    if (name == "html" || name == "head" || name == "body" || (flags & kVoid)) return;
    TextState next = RawTextStateOf(flags);
    if (next != TextState::Data) {
        state_ = next;
        raw_end_ = name;
    }
    if (name == "select") ++select_depth_;
    // A table start tag where a table's rows are expected closes that table first (also
    // where the table moved other elements out of itself: the insertion mode is still the
    // table's). In a template's content read by those rules, with no table open in it, the
    // tag is dropped.
    if (name == "table" && !open_.empty() && open_.back().table_mode) {
        size_t j = open_.size();
        while (j > 0 && !(open_[j - 1].ns == Namespace::Html &&
                          (open_[j - 1].id == ids.table || open_[j - 1].id == ids.template_)))
            --j;
        if (j > 0 && open_[j - 1].id == ids.template_) return;
        if (j > 0) PopUntil(j - 1);
    }
    if (t.element == ids.tr || t.element == ids.td || t.element == ids.th) OpenImpliedSections(t.element);
    Push(name, Namespace::Html, t.element);
}

// The parser opens the parts a row or cell needs where they are missing: a tbody for a row or
// cell right in a table, a row for a cell in a table section (a later "</tbody>" or "</tr>"
// closes them, and what is open above them).
void Tokenizer::OpenImpliedSections(size_t element) {
    const StackIds& ids = Ids();
    size_t j = open_.size();
    while (j > 0 && !(open_[j - 1].ns == Namespace::Html &&
                      ((ElementFlagsOf(open_[j - 1].id) & kTablePart) || open_[j - 1].id == ids.template_)))
        --j;
    if (j == 0) return;
    const Open& part = open_[j - 1];
    // A template's content read by a table's rules stands for what its first part made it.
    const bool table_template = part.id == ids.template_ && part.content == kContentTableRules;
    const bool in_table = part.id == ids.table || (table_template && part.stands_for == kStandsForTable);
    const bool in_section = in_table || part.id == ids.tbody || NameOf(part) == "thead" || NameOf(part) == "tfoot" ||
                            (table_template && part.stands_for == kStandsForRowGroup);
    if (!in_section || (element == ids.tr && !in_table)) return;
    if (in_table) Push("tbody", Namespace::Html, ids.tbody);
    if (element != ids.tr) Push("tr", Namespace::Html, ids.tr);
}

// "</form>" outside a template clears the form element pointer and removes the form it named
// from the stack, if in scope, after closing the elements with implied end tags above it; the
// elements above it stay open. Inside a template parsers differ (some pop up to the form,
// some leave the stack as it is): not followed.
void Tokenizer::FormEndTag() {
    const StackIds& ids = Ids();
    if (HtmlCount("form", ids.form) == 0) {
        if (HtmlCount("template", ids.template_) == 0) form_pointer_ = false;
        return;
    }
    if (HtmlCount("template", ids.template_) > 0) {
        unfollowed_ = true;
        return;
    }
    const bool had_pointer = form_pointer_;
    form_pointer_ = false;
    if (!had_pointer) return;
    size_t at = open_.size();
    for (; at > 0; --at) {
        const Open& e = open_[at - 1];
        if (e.ns != Namespace::Html) {
            if (IsForeignScopeBoundary(NameOf(e), e.ns)) return;
            continue;
        }
        if (e.id == ids.form) break;
        if (ElementFlagsOf(e.id) & kScopeBoundary) return;
    }
    if (at == 0) return;
    while (open_.size() > at && open_.back().ns == Namespace::Html && (ElementFlagsOf(open_.back().id) & kImpliedEnd))
        PopUntil(open_.size() - 1);
    if (open_.size() == at) {
        PopUntil(at - 1);
        return;
    }
    --HtmlCount("form", ids.form);
    open_.erase(open_.begin() + static_cast<std::ptrdiff_t>(at - 1));
    // Paragraphs above the form moved one place down.
    for (size_t k = at - 1; k < open_.size(); ++k)
        if (open_[k].p_in_scope > at) --open_[k].p_in_scope;
}

// The elements whose insertion mode a table's part's tag follows: a table and its parts, a
// template and the html element (the elements a table moves out of itself, and those in a cell
// or caption, leave the mode as it is).
static bool IsTableModeElement(uint32_t id) {
    const StackIds& ids = Ids();
    return (ElementFlagsOf(id) & kTableContent) || id == ids.table || id == ids.template_ || id == ids.html;
}

// "</table>" where a template's content, not a table, bounds the table scope: the row,
// section, caption or column group open in the content closes as the table's insertion modes
// close them before they look for the table, with what the table rules moved out of itself
// above them; a cell's mode drops the tag. Returns whether the tag was taken here.
bool Tokenizer::CloseTemplateTableParts() {
    const StackIds& ids = Ids();
    size_t j = open_.size();
    while (j > 0 && !(open_[j - 1].ns == Namespace::Html &&
                      (open_[j - 1].id == ids.table || open_[j - 1].id == ids.template_)))
        --j;
    if (j == 0 || open_[j - 1].id != ids.template_) return false;
    for (size_t k = open_.size(); k > j; --k) {
        const Open& e = open_[k - 1];
        if (e.ns != Namespace::Html || !IsTableModeElement(e.id)) continue;
        if (e.id != ids.td && e.id != ids.th) PopUntil(j);
        break;
    }
    return true;
}

void Tokenizer::AfterEndTag(Token& t) {
    const TagName& name = t.name;
    // Foreign elements close on an end tag of their own name, ignoring ASCII case; an HTML
    // element on the way hands the tag to the HTML rules.
    if ((name == "br" || name == "p") && ForeignContext()) {
        t.left_foreign = true;
        // These leave foreign content before the HTML rules see them.
        while (!open_.empty() && open_.back().ns != Namespace::Html && !HandsToHtml(open_.back()))
            PopUntil(open_.size() - 1);
    }
    size_t i = open_.size();
    while (i > 0 && open_[i - 1].ns != Namespace::Html) {
        if (EqualsIgnoringCase(NameOf(open_[i - 1]), name)) {
            PopUntil(i - 1);
            return;
        }
        --i;
    }
    // In a column group an end tag but a column's or a template's closes the group first
    // ("</colgroup>" only that); elsewhere the parser drops "</colgroup>".
    const StackIds& ids = Ids();
    if (!open_.empty() && open_.back().id == ids.colgroup) {
        if (t.element == ids.col) return;
        if (t.element != ids.template_) PopUntil(open_.size() - 1);
        if (t.element == ids.colgroup) return;
    } else if (t.element == ids.colgroup) {
        return;
    }
    if (name == "body" || name == "html") return;
    // Inside a select only its own end tags (and those of an enclosing table) close anything.
    if (OpenSelect() > 0 && name != "select" && name != "option" && name != "optgroup" &&
        name != "template" && name != "table" && name != "tbody" && name != "thead" &&
        name != "tfoot" && name != "tr" && name != "td" && name != "th" && name != "caption")
        return;
    // In a select, "</option>" closes only an option that is the current node, and
    // "</optgroup>" only an optgroup that is, or holds the current node's option.
    if ((name == "option" || name == "optgroup") && OpenSelect() > 0) {
        auto is = [&](size_t k, std::string_view n) { return open_[k].ns == Namespace::Html && NameOf(open_[k]) == n; };
        const size_t depth = open_.size();
        if (name == "optgroup" && depth >= 2 && is(depth - 1, "option") && is(depth - 2, "optgroup"))
            PopUntil(depth - 2);
        else if (is(depth - 1, name))
            PopUntil(depth - 1);
        return;
    }
    if (t.element == ids.form) {
        FormEndTag();
        return;
    }
    // A heading end tag closes the nearest heading in scope, whatever its rank.
    if (IsHeading(name)) {
        bool any = false;
        for (std::string_view h : {"h1", "h2", "h3", "h4", "h5", "h6"}) any = any || HtmlCount(h, ElementId(h)) > 0;
        for (size_t j = open_.size(); any && j > 0; --j) {
            const Open& e = open_[j - 1];
            if (e.ns == Namespace::Html && IsHeading(NameOf(e))) {
                size_t foreign_before = foreign_depth_;
                PopUntil(j - 1);
                if (foreign_depth_ < foreign_before) t.left_foreign = true;
                return;
            }
            if (e.ns == Namespace::Html ? (ElementFlagsOf(e.id) & kScopeBoundary) != 0
                                        : IsForeignScopeBoundary(NameOf(e), e.ns))
                return;
        }
        return;
    }
    if (name == "table") {
        const size_t foreign_before = foreign_depth_;
        if (CloseTemplateTableParts()) {
            t.left_foreign = foreign_depth_ < foreign_before;
            return;
        }
    }
    const size_t id = t.element;
    if (id == ElementCount()) {
        auto counted = unlisted_count_.find(t.name);
        if (counted == unlisted_count_.end() || counted->second == 0) return;
    }
    if (id == ids.table || id == ids.tbody || id == ids.thead || id == ids.tfoot || id == ids.tr || id == ids.td ||
        id == ids.th || id == ids.caption) {
        // With such an element open, the parser is in a table's insertion mode (in table, in
        // table body, in row, in cell, in caption, as the nearest of them sets it), and each of
        // those looks for the end tag's element in table scope: only a table, a template or
        // the html element stops the search. SVG or MathML content on the way closes with the
        // rest (its integration points bound other scopes, not this one); past another table
        // the end tag is dropped.
        for (size_t j = listed_count_[id] > 0 ? open_.size() : 0; j > 0; --j) {
            const Open& e = open_[j - 1];
            if (e.ns != Namespace::Html) continue;
            if (e.id == id) {
                size_t foreign_before = foreign_depth_;
                PopUntil(j - 1);
                if (foreign_depth_ < foreign_before) t.left_foreign = true;
                return;
            }
            if (e.id == ids.table || e.id == ids.template_ || e.id == ids.html) return;
        }
        return;
    }
    const bool any_open = id == ElementCount() || listed_count_[id] > 0;
    for (size_t j = any_open ? open_.size() : 0; j > 0; --j) {
        // "</p>" closes a paragraph in button scope only; past a table, a cell or a button the
        // parser opens and closes an empty one and the open elements stay as they are.
        if (name == "p" && (open_[j - 1].ns == Namespace::Html
                                ? (ElementFlagsOf(open_[j - 1].id) & kScopeBoundary) || open_[j - 1].id == ids.button
                                : IsForeignScopeBoundary(NameOf(open_[j - 1]), open_[j - 1].ns)))
            break;
        // Listed names compare by row (HTML elements only carry one); the others by name.
        if (open_[j - 1].ns == Namespace::Html && open_[j - 1].id == id &&
            (id != ElementCount() || NameOf(open_[j - 1]) == t.name)) {
            size_t foreign_before = foreign_depth_;
            if (ElementFlagsOf(id) & kFormatting) CloseFormatting(j - 1);
            else PopUntil(j - 1);
            if (foreign_depth_ < foreign_before) t.left_foreign = true;
            return;
        }
        // The element must be in scope (a template's end tag looks through everything): a
        // template, a cell, caption, marquee, object or applet, a button for "</p>", and where
        // SVG or MathML hands content to HTML, stop the search; the parser drops the end tag
        // there (or, for "</p>", makes an empty paragraph).
        if (name == "template") continue;
        const Open& e = open_[j - 1];
        if (e.ns != Namespace::Html) {
            if (IsForeignScopeBoundary(NameOf(e), e.ns)) break;
            continue;
        }
        if (e.id == ids.template_ || e.id == ids.html || (name == "p" && e.id == ids.button)) break;
        if (ElementFlagsOf(e.id) & kScopeBoundary) break;
        // An end tag of an element the parser has no rule of its own for (neither special nor
        // formatting: option, span, an unlisted name, ...) stops at the first special element
        // in the way ("</option>" leaves an open heading and what is in it as they are).
        if (!(ElementFlagsOf(id) & (kSpecial | kFormatting)) && (ElementFlagsOf(e.id) & kSpecial)) break;
    }
    // The parser reopens formatting elements a paragraph or cell closed before it opens the
    // next element, SVG and MathML among them; such an element's end tag inside that foreign
    // content (or in HTML inside it) closes the foreign content too, also where the model
    // finds no open element of that name to close (none, or one beyond a template or a
    // scope boundary). Those reopened elements are not modelled here, so where foreign
    // content ends is unknown.
    if ((ElementFlagsOf(id) & kFormatting) && foreign_depth_ > 0) t.left_foreign = true;
}

}  // namespace tsqz::web
