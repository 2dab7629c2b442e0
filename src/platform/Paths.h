#pragma once
// Path helpers and the drive table.
//
// Paths inside the program are POSIX paths with "/" as the only separator. Data that the
// accounting product stores keeps the drive form "Z:/rest" (or "Z:\rest" in older texts), so
// that the code which takes such paths apart by drive keeps working; ResolvePath turns them
// into real paths just before a file is touched. Nothing here changes the case of a path.
//
// The drive table maps letters to folders:
//   - "C:" is always "/";
//   - the section [Drives] of <configuration root>/drives.ini, lines "Z=/srv/data";
//   - the environment variable RENDO_DRIVES, "Z=/srv/data;Y=/mnt/x", which wins over the file
//     for a letter named in both (tests and the demo set it to stay hermetic).
// Letters are compared without regard to case. Both sources are read again whenever they change.
#include <string>
#include <string_view>

// The path with a "/" at its end (an empty path gives "/").
std::string IncludeTrailingPathDelimiter(std::string_view path);
// The path without its trailing "/" (so "/" gives "" and "Z:/" gives "Z:", as a drive root
// does; appending "/name" gives the right path again).
std::string ExcludeTrailingPathDelimiter(std::string_view path);

// Folder part including its trailing "/" (or "Z:" for "Z:name"); empty when there is none.
std::string ExtractFilePath(std::string_view path);
// Folder part without its trailing "/", except where that "/" is the root ("/a" gives "/",
// "Z:/a" gives "Z:/").
std::string ExtractFileDir(std::string_view path);
// The part after the last "/" (or after "Z:").
std::string ExtractFileName(std::string_view path);
// Extension of the file-name part including its dot; empty when the name has no dot.
std::string ExtractFileExt(std::string_view path);
// The path with its extension replaced by `ext` ("" removes it; added when there is none).
std::string ChangeFileExt(std::string_view path, std::string_view ext);
// "Z:" for "Z:/x" (any case of letter), "//server/share" for "//server/share/x" (also with
// backslashes, returned as written), "" for a plain POSIX path.
std::string ExtractFileDrive(std::string_view path);
// Every "\" replaced by "/".
std::string BackslashToSlash(std::string_view text);

// True when the path starts with a drive letter and a colon ("Z:", "z:/x", "Z:\x").
bool HasDriveLetter(std::string_view path);

// The folder a drive letter stands for ("C" gives "/"); empty when the letter is not mapped.
std::string DriveFolder(char letter);

// The real path for file access: "Z:/rest" (or "Z:\rest", backslashes then read as "/")
// becomes the drive's folder + "/rest". Paths without a drive letter come back unchanged.
// A drive letter that is not mapped gives "" so that no file access can fall back to a path
// relative to the working folder.
std::string ResolvePath(std::string_view path);
