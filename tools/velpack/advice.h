// What the installer will make of a package's content, told to its author before any user
// sees it: the preview movie or picture, the movies the page plays, the files the page names
// and the licence's letters, each judged with the installer's own readers (the movie panel's
// reader, the JPEG preview's decoder, the package rules). One line per finding; a sound
// package gives none. Errors are what makes the installer fail; warnings what disappoints.
#ifndef VELPACK_ADVICE_H
#define VELPACK_ADVICE_H

#include <string>
#include <vector>

#include "inspect.h"

namespace velpack {

struct Advice {
    std::vector<std::string> errors;
    std::vector<std::string> warnings;

    bool empty() const noexcept { return errors.empty() && warnings.empty(); }
};

// Needs the inspection's header; names in the lines are UTF-8.
Advice adviseOn(const Inspection& inspection);

// The local files a wallpaper page names (param movie or src, embed src, img src, a href), as
// written in the page; links with a scheme ("http:", "mailto:") and fragments are left out.
std::vector<std::string> localFilesNamed(std::string_view page);

}  // namespace velpack

#endif
