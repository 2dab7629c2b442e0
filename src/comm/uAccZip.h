#pragma once
// The zip archiver of the cloud upload, called with an archiver command line:
//
//   ZipFiles("-D -P <password> -q -j", "\"archive.zip\"", "\"file\" ...")
//
// The three arguments are joined as "options archive files" and read as one command line in
// which double quotes group a path holding blanks. Options understood:
//   -P <password>  every entry encrypted with traditional PKWARE encryption (the one method
//                  that every unzip tool opens; the peer that reads our archives relies on it)
//   -j             entries stored under their bare names, without their folders
//   -D             no folder entries (we never write any; accepted for the callers' sake)
//   -q             quiet (we print nothing anyway)
// Without -j an entry keeps the path it was given, less a leading "/" or "./"; a path with a
// ".." part is refused. Entries are compressed with deflate.
//
// The archive is always written fresh: an existing file of that name is replaced as a whole,
// never updated. It is built under a temporary name beside the target and appears only when
// complete, readable by its owner alone (0600): it holds company data.
//
// Results: 0 success; -3 a password is asked for and this build cannot encrypt; otherwise one
// of TZipError. (-1 and -2, an archiver that cannot be loaded or lacks an entry point, belong
// to archivers loaded at run time and do not occur with ours.)
#include <cstdint>
#include <string>

enum TZipError : std::int32_t {
  kZipNoEncryption = -3,
  kZipNothingToDo = 12,       // no file named
  kZipArchiveNotWritten = 15, // the archive could not be created or completed
  kZipBadCommand = 16,        // unknown option, "-P" without a password, bad quoting, too long
  kZipFileUnreadable = 18,    // a named file is missing or cannot be read
};

// The longest command line ("options archive files") accepted; longer ones give kZipBadCommand
// and nothing is written.
constexpr std::size_t kZipCommandLineMax = 1024;

std::int32_t ZipFiles(const std::string& options, const std::string& archive, const std::string& files);
