// Listing the files of one folder and deleting a file, for the data folders
// (prj_data) and the mutant archive. Names and paths are Shift-JIS, as
// everywhere in the program.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sylvane {

struct FolderEntry {
  std::string name;        // file name without the folder, Shift-JIS
  uint64_t created = 0;    // creation time in 100-nanosecond ticks (larger is later);
                           // the last change where the file system keeps no creation time
};

// The regular files of folder whose names end in suffix (ASCII letters
// compared without case, e.g. ".dat" also matches "A.DAT"), in no particular
// order. Returns false, with out empty, when the folder cannot be read.
bool ListFolderFiles(const std::string& folder, std::string_view suffix, std::vector<FolderEntry>& out);

// Deletes one file. False when it could not be deleted.
bool DeleteFileAt(const std::string& path);

// True when path names an existing folder.
bool FolderExists(const std::string& path);

}  // namespace sylvane
