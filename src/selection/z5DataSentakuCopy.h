#pragma once
// Helpers of the data-set copy and delete of the data-selection dialog (the operations
// themselves are members of TDataSentakuBox: DataCopyPaste, DataDelete, ReleaseSharedData).
#include <string>

// The name of a copy: the name followed by "～コピー", cut to 40 CP932 bytes without splitting
// a double-byte character, blanks and full-width spaces trimmed at both ends.
std::string CopyNameOf(const std::string& name);

// May this data folder be removed with everything in it? Not an empty or relative path, a
// root, a mount root or the folder of a drive letter, the system folder, the system data
// folder, the application data folder, nor a folder above one of them.
bool IsDataFolderDeletable(const std::string& folder);
