#pragma once
// Pack files: a flat archive of whole, uncompressed files. Layout (little-endian):
//   0   "VOXAPACK"
//   8   version, signed 32-bit, 1
//   12  entry count N, signed 32-bit
//   16  16 reserved bytes, never read
//   32  N directory entries of 32 bytes: name length (0..27), 27 name bytes, size (signed 32-bit)
//   then every entry's bytes back to back in directory order; anything after them is ignored.
// Packs are only read here. They are unpacked whole into a scratch folder, loaded from
// there by name, and the folder is cleared again.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/files.h"
#include "platform/host.h"

namespace vtl {

inline constexpr const char* kScratchFolderName = "qvtmptxt.$$$";
inline constexpr std::size_t kPackHeaderSize = 32;
inline constexpr std::size_t kPackEntrySize = 32;
inline constexpr std::size_t kPackNameMax = 27;
inline constexpr std::size_t kPackCopyBufferMax = 61440;

struct TPackItemObj {
    std::string Name;
    std::int32_t Size = 0;
};

using TPackList = std::vector<std::pair<std::string, TPackItemObj>>;

enum class PackDirectoryResult {
    ok,
    badMagic,      // also a file too short to hold the magic
    badVersion,    // also a header cut short after a good magic
    badDirectory,  // a directory cut short, a name length above 27 or a negative size
};

// Reads header and directory from the start of an open pack and leaves the read
// position at the first entry's data. Nothing is read past the directory.
PackDirectoryResult ReadPackDirectory(FileHandle& pack, TPackList& list);

// A name that can only mean one file directly inside the target folder on every
// platform: not empty, no folder part or drive (\ / :), no control characters or
// characters Windows refuses in names (* ? " < > |), not "." or "..", not ending in a
// dot or a blank, and not a device name (CON, PRN, AUX, NUL, COM1-9, LPT1-9, CONIN$,
// CONOUT$), with or without an extension.
bool IsPlainFileName(const std::string& name);

// Creates folder and every missing parent. A trailing separator is dropped; an empty
// path raises EInOutError "Unable to create directory". Failures to create are not
// reported: they show when a file inside cannot be created.
void ForceFolders(const std::string& folder);

// Writes every entry of the pack as targetFolder + separator + name, in directory
// order, replacing files of the same name. Returns the number of files written; -1
// when the magic is wrong or the directory is malformed, 0 when the version is not 1
// (nothing is created in either case). Raises EFOpenError "Cannot open file %s",
// EFCreateError "Cannot create file %s" (also for a name that is not a plain file
// name, before anything is written for it), EReadError "Stream read error" when the
// pack ends inside an entry, EInOutError "Unable to create directory" for an empty
// target. Files written before an error stay.
std::int32_t ExtractPack(const std::string& packPath, const std::string& targetFolder);

// Deletes every file in folder, then the folder itself. Returns how many names it
// tried to delete; failures (read-only files, sub-folders, files in use) are silent.
// A link at folder's name is removed itself, and nothing behind it is touched.
std::int32_t ClearFolder(const std::string& folder);

// The scratch folder: the user's temporary folder (see PrivateTempFolder) followed by
// "qvtmptxt.$$$". Raises EInOutError "Unable to create directory" when no private
// temporary folder can be had.
std::string ScratchFolder(IHostFolders& folders);

// Finds packFileName in the install folder, or else in programFolder, unpacks it into
// the scratch folder and returns that folder's path (no trailing separator). Errors of
// ExtractPack pass through, after the scratch folder is cleared.
std::string UnpackToTemp(const std::string& packFileName, IHostFolders& folders, const std::string& programFolder);
// The same, with the folder of the running program.
std::string UnpackToTemp(const std::string& packFileName, IHostFolders& folders);

// Where packFileName is read from: the install folder when the pack lies there, else
// programFolder.
std::string FindPack(const std::string& packFileName, IHostFolders& folders, const std::string& programFolder);

// What is wrong with the pack at packPath, checked from its header, its directory and
// its size alone: empty when it can be unpacked whole, else a short reason ("it is not
// a pack file", "it is cut short: ..."). A pack that cannot be opened says so too.
std::string PackDamage(const std::string& packPath);

// Unpacks the pack at packPath whole into folder, refusing a damaged pack before
// anything is written: EReadError "Damaged pack file %s: reason" names the file and
// says why. Other errors are ExtractPack's. Files written before an error are removed.
void UnpackWholePack(const std::string& packPath, const std::string& folder);
// UnpackToTemp for a pack whose files are all needed: a damaged pack is refused by
// UnpackWholePack's rules instead of leaving the folder empty or half filled.
std::string UnpackWholeToTemp(const std::string& packFileName, IHostFolders& folders);

// folder + separator + name, without doubling a separator that folder ends with.
std::string JoinPath(const std::string& folder, const std::string& name);

}  // namespace vtl
