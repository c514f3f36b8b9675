#pragma once
// Taking a path apart: its folder, its file name, a file beside it. The one
// place that knows which characters separate the parts of a path here: "\",
// "/" and the drive's ":" on Windows, "/" elsewhere.
#include <string>
#include <string_view>

namespace qc {

// The characters after which a path's next part begins.
std::string_view PathSeparators();

// The folder of `path` as a path of its own: "C:\Data\QUILLCRD.DAT" gives
// "C:\Data". A root keeps its separator ("C:\x" gives "C:\", "/x" gives
// "/"), a drive without one stays as it is ("C:x" gives "C:"). Empty when
// the path names no folder.
std::string FolderOf(std::string_view path);

// The part of `path` after its folder: "C:\Data\QUILLCRD.DAT" gives
// "QUILLCRD.DAT"; the whole path when it names no folder.
std::string FileNameOf(std::string_view path);

// The path of the file `name` in the folder of `path`: ("C:\Data\QUILLCRD.DAT",
// "QUILLCRD.BAK") gives "C:\Data\QUILLCRD.BAK"; just `name` when the path
// names no folder.
std::string SiblingPath(std::string_view path, std::string_view name);

// `path` with the extension of its file name (from its last ".") replaced by
// `extension`, or with `extension` added when it has none:
// ("C:\Quill.v3\QUILLCRD.EXE", ".hlp") gives "C:\Quill.v3\QUILLCRD.hlp".
std::string WithExtension(std::string_view path, std::string_view extension);

}  // namespace qc
