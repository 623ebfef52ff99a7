// Finding the cases of a corpus folder. Two forms are understood:
//  - case folders: manifest.json (optional) and folders holding test.swf, test.toml,
//    output.txt, NAME.expected.png and input.json;
//  - a flat manifest.tsv (columns suite, path, expected, ..., fps, features) with the expected
//    outputs beside each movie: X.swf.trace, X.swf.png, X.swf.N.M.raw.
#pragma once

#include "tools/conformance/core/corpus_case.h"

#include <QString>

#include <optional>

namespace conformance {

// Reads the folder; returns nothing (and sets `error`) when it is neither form. Cases that are
// present but cannot be run get a skipReason instead of being dropped.
std::optional<Corpus> discoverCorpus(const QString& folder, QString* error);

// The two readers, for callers that know the form.
Corpus readCaseFolderCorpus(const QString& folder);
Corpus readManifestTsvCorpus(const QString& folder);

}  // namespace conformance
