// `velpack new`: a package folder an author can build at once. From a movie it writes
//   NAME.ini     the manifest, a comment above every setting it makes;
//   page.html    the wallpaper page: the movie filling the screen in its background colour,
//                named by the path the installer gives it ("NAME dir/MOVIE");
//   content/     the data folder, holding the movie;
// and, as the kind asks, the preview (preview.bmp, preview.jpg or preview.swf) and the licence
// (license.txt). The wallpaper name is judged by the installer's own name rule in the
// package's code page (1252), the movie read by the installer's own movie reader. Nothing is
// overwritten unless asked (force).
#ifndef VELPACK_NEW_PACKAGE_H
#define VELPACK_NEW_PACKAGE_H

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace velpack {

namespace fs = std::filesystem;

struct NewPackageRequest {
    fs::path folder;
    std::string name;  // UTF-8
    fs::path movie;
    std::string kind = "movie";  // movie, picture, jpeg or silent
    std::optional<fs::path> preview;
    std::optional<fs::path> licence;
    bool force = false;
};

struct NewPackageResult {
    std::vector<std::string> errors;  // nothing was written when there is one
    std::vector<fs::path> written;
    fs::path manifest;

    bool ok() const noexcept { return errors.empty(); }
};

NewPackageResult createPackage(const NewPackageRequest& request);

}  // namespace velpack

#endif
