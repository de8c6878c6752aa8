#pragma once
// Preset files on disk: reading a file's record with bounded memory and time, and
// replacing a file so that it is always either the old or the new one. [any]

#include <string>

// A preset is one short line; a record longer than this is not a preset.
inline constexpr size_t kPresetRecordLimit = 64 * 1024;

enum class PresetReadResult {
  kRecord,       // 'record' holds the file's last line
  kNoFile,       // no path, missing, a folder or not a regular file, unreadable
  kEmptyRecord,  // empty file, or the file ends in a line break
  kTooLong,      // the last line is longer than kPresetRecordLimit
};

// The last line of the file at 'path' (line feed as the break; a carriage return
// stays part of the line). Only the file's final kPresetRecordLimit + 1 bytes are
// read, whatever its size.
PresetReadResult ReadPresetRecord(const std::string& path, std::string& record);

// Writes 'text' to a temporary file beside 'path', flushes it to the disk and
// renames it over 'path'. False, with 'path' untouched, when any step failed.
bool ReplaceFileWithText(const std::string& path, const std::string& text);
