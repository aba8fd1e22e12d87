# Turns the Markdown of docs/tsqz.md into the manual page tsqz.1 (man(7) macros), so the page
# and the document never disagree. Handles what that document uses: headings, paragraphs,
# definition lists (a term line, then ": " and two-space continuation lines), indented
# examples, tables, bullet and numbered lists, `code` and *emphasis*.
# Usage: awk -v version=1.0.0 -f manpage.awk docs/tsqz.md > tsqz.1
function escape(s) {
    gsub(/\\/, "\\e", s)
    gsub(/-/, "\\-", s)
    return s
}
function emphasis(s,   n, parts, i, out) {
    n = split(s, parts, "*")
    if (n < 3 || n % 2 == 0) return s
    out = parts[1]
    for (i = 2; i <= n; i++) out = out ((i % 2 == 0) ? "\\fI" : "\\fR") parts[i]
    return out
}
function inline(s,   n, parts, i, out) {
    n = split(s, parts, "`")
    out = ""
    for (i = 1; i <= n; i++) {
        if (i % 2 == 0) out = out "\\fB" escape(parts[i]) "\\fR"
        else out = out emphasis(escape(parts[i]))
    }
    return out
}
function emit(s) {
    sub(/^ +/, "", s)
    if (s ~ /^[.']/) s = "\\&" s
    print s
}
function close_example() {
    if (example) { print ".fi"; print ".RE"; example = 0 }
}
function open_example() {
    if (!example) { print ".RS"; print ".nf"; example = 1 }
}
function trim(s) { sub(/^ +/, "", s); sub(/ +$/, "", s); return s }
{ lines[++count] = $0 }
END {
    item = 0       # inside a definition or list item: two-space lines continue it
    paragraph = 0  # a top-level paragraph is open
    for (i = 1; i <= count; i++) {
        line = lines[i]
        if (line ~ /^[ \t]*$/) { close_example(); paragraph = 0; blank = 1; continue }
        was_blank = blank; blank = 0
        if (line ~ /^# /) {
            title = substr(line, 3)
            sub(/^[^:]*: */, "", title)
            print ".TH TSQZ 1 \"\" \"Tagsqueeze " version "\" \"User Commands\""
            print ".SH NAME"
            print "tsqz \\- " escape(title)
            print ".SH DESCRIPTION"
            continue
        }
        if (line ~ /^## /) { close_example(); item = 0; print ".SH \"" toupper(substr(line, 4)) "\""; continue }
        if (line ~ /^### /) { close_example(); item = 0; print ".SS \"" substr(line, 5) "\""; continue }
        if (line !~ /^ / && lines[i + 1] ~ /^: /) {
            close_example(); item = 1; paragraph = 0
            print ".TP"; emit(inline(line)); continue
        }
        if (line ~ /^: /) { emit(inline(substr(line, 3))); continue }
        if (item && line ~ /^      /) {
            if (!example && was_blank) print ".sp"
            open_example(); print "\\&" escape(substr(line, 7)); continue
        }
        if (item && line ~ /^  +[^ ]/) {
            close_example()
            if (was_blank) print ".IP"
            emit(inline(line)); continue
        }
        if (line ~ /^    /) {
            item = 0
            if (!example) print ".PP"
            open_example(); print "\\&" escape(substr(line, 5)); continue
        }
        close_example()
        if (line ~ /^\|/) {
            item = 0
            if (line ~ /^\|[-|: ]+\|$/ || lines[i + 1] ~ /^\|[-|: ]+\|$/) continue
            n = split(line, cells, "|")
            print ".TP"; emit(inline(trim(cells[2])))
            rest = ""
            for (c = 3; c < n; c++) rest = rest (c > 3 ? "; " : "") trim(cells[c])
            emit(inline(rest)); continue
        }
        if (line ~ /^- /) { item = 1; print ".IP \\(bu 2"; emit(inline(substr(line, 3))); continue }
        if (line ~ /^[0-9]+\. /) {
            item = 1; number = line; sub(/ .*/, "", number)
            print ".IP " number " 4"; emit(inline(substr(line, length(number) + 2))); continue
        }
        item = 0
        if (!paragraph) { print ".PP"; paragraph = 1 }
        emit(inline(line))
    }
    close_example()
}
