#pragma once
// Our LHA archiver, called the way the communication module calls an archiver. Archives are
// real LHA archives (level-2 headers, "-lh5-", or "-lh0-" when packing would not make the
// entry smaller), read back only by this program.
//
//   Unlha(window, "a \"archive\" \"file\"", ...)   writes a new archive holding the file under
//                                                  its bare name (an old archive is replaced)
//   Unlha(window, "e \"archive\" \"folder/\"", ...) puts every entry, by its bare name, into the
//                                                  folder
// Extraction is all or nothing: every entry is unpacked and its CRC checked into temporary
// files first; only then are they renamed to their names. Entries whose names hold "/", "\",
// "..", a drive or link marker, and entries that are not plain files, are refused.
#include <cstdint>
#include <string>

// Results of Unlha besides 0 (success).
enum TUnlhaError : int {
  kUnlhaBadCommand = 1,     // command line not understood
  kUnlhaSourceUnreadable = 2,
  kUnlhaArchiveNotWritten = 3,
  kUnlhaDamaged = 4,        // not one of our archives, or a CRC / format error
  kUnlhaUnsafeEntry = 5,    // an entry name or kind that extraction refuses
  kUnlhaWriteError = 6,     // the destination could not be written
};

// window: the caller's window (unused); output/outputSize: receives a short text about the
// outcome when outputSize > 0 (always terminated).
int Unlha(void* window, const char* commandLine, char* output, std::int32_t outputSize);

// mode 2: every entry unpacked and its CRC checked; other modes: headers only.
bool UnlhaCheckArchive(const char* path, std::int32_t mode);

// The two entry points, as the module holds them once the archiver is loaded. Ours is part of
// the program, so loading cannot fail; the message stays for the module's "not loaded" path.
struct TArchiverEntries {
  int (*Unlha)(void*, const char*, char*, std::int32_t) = nullptr;
  bool (*UnlhaCheckArchive)(const char*, std::int32_t) = nullptr;
  bool Loaded() const { return Unlha != nullptr && UnlhaCheckArchive != nullptr; }
};
TArchiverEntries LoadArchiver();
inline constexpr const char* kArchiverNotLoadedMessage = "圧縮用DLLがロード出来ません。";
