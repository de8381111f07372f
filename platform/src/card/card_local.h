#pragma once
// Internals of the memory-card library: the host folder behind a slot, how
// a card's file names become host file names, and crash-safe file writes.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/card.h"

namespace card {

// $XDG_DATA_HOME/quillmere (or ~/.local/share/quillmere), or the test root.
std::string RootFolder();
void SetTestRoot(const char* dir);  // null: the user's folder
std::string SlotFolder(int32_t chan);

// A card file name as a host file name: letters, digits, '-' and '_' stay,
// every other byte becomes "%XX", so any name is one safe path component.
std::string EncodeName(const std::string& name);
// The reverse; false for text that EncodeName cannot have made.
bool DecodeName(const std::string& encoded, std::string* pName);

constexpr const char* kDataSuffix = ".dat";     // the file's bytes
constexpr const char* kStatusSuffix = ".stat";  // its status, as text
constexpr const char* kTempSuffix = ".tmp";     // a write in progress
// A file created and not yet written: its bytes are kept under this name
// (after the data file's) and renamed into place by the first write, so a
// crash before that leaves no file rather than an empty one. Ends in
// kTempSuffix, so the leftovers of a crash are removed with the others.
constexpr const char* kNewSuffix = ".new.tmp";

// Card file names of the data files in the folder, sorted.
std::vector<std::string> ListFiles(const std::string& folder);
// Reads a regular file, at most maxBytes + 1 of its bytes: more than maxBytes
// read means the file is larger than it may be. False when the path is no
// regular file or a read fails.
bool ReadWhole(const std::string& path, std::vector<uint8_t>* pBytes, size_t maxBytes);
// Writes to path + kTempSuffix, flushes it to the disk, renames it over path
// and flushes the folder. The hook (when set) runs with half the bytes
// written. False (reported) on any host failure; path is then unchanged.
typedef void (*MidWriteHook)(int32_t chan);
bool WriteAtomic(const std::string& path, const void* data, size_t size, int32_t chan, MidWriteHook hook);
// Removes every temporary file a crash left in the folder.
void RemoveTemporaries(const std::string& folder);

// The status kept beside a file, as "key value" lines.
std::string FormatStatus(const CARDStat& stat);
bool ParseStatus(const std::string& text, CARDStat* pStat);

}  // namespace card
