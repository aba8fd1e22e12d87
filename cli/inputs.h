// Turning PATH arguments into the documents of a job: files lists read, folders searched.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tsqz::cli {

struct Document {
    std::string path;      // as handed to the engine
    std::string relative;  // where its result goes below an output folder
    // A failure found while listing it (a missing files list, an unreadable folder): an engine
    // code for the message, and the path it concerns. 0 when the document is to be compressed.
    int32_t code = 0;
    // A failure found while listing that no engine code names (a folder too deep to search).
    std::string problem;
};

// Expands the PATH arguments in order. A files list (".lst" in any case) contributes its
// entries, each a document, folder or files list of its own; a folder contributes its
// documents (".htm", ".html", ".asp", ".shtml" in any case) from all its subfolders, sorted,
// without following linked folders and without entering skip_dir (the output folder); any
// other PATH is a document. A PATH that names nothing is kept as a document, so that it fails
// in its turn.
std::vector<Document> ExpandPaths(const std::vector<std::string>& paths,
                                  const std::string& skip_dir);

}  // namespace tsqz::cli
