#pragma once
// Resources of a module: its string table (number -> UTF-8 text) and its
// named bitmaps, registered by the module when it is loaded and looked up by
// the module's handle.
//
// - A module may name an environment variable for a translation file. When
//   the variable is set, the file's `number=text` lines replace the texts of
//   the numbers they name; other numbers keep the registered text. The text
//   is the rest of the line as it stands (no escapes). Blank lines
//   and lines starting with '#' or ';' are skipped; a bad line (no '=', a
//   number outside 0..65535, a number repeated) is skipped and reported as
//   "path:line: problem" in the list that RegisterModuleStrings answers.
// - Bitmap names compare without regard to case. LoadBitmap answers a new
//   bitmap handle holding a copy of the resource, freed with DeleteObject.
// - Every function is safe to call from several threads.

#include <map>
#include <string>
#include <vector>

#include "platform/win32/WinTypes.h"

using StringTable = std::map<UINT, std::string>;

struct BitmapResource {
  int32_t Width = 0;
  int32_t Height = 0;
  std::vector<uint8_t> Bytes;  // the image's bytes, in the format the module chose
  std::string Description;     // what the image shows, for text front ends
};

// Registers (or replaces) the module's string table. With a
// `translationVariable` naming a set environment variable, the file it names
// is applied; answers the problems found in that file (empty when none).
std::vector<std::string> RegisterModuleStrings(HINSTANCE module, StringTable table,
                                               const char* translationVariable = nullptr);
// Reads a translation file into `table`, answering the problems found; a
// file that cannot be opened is one problem.
std::vector<std::string> ReadTranslationFile(const std::string& path, StringTable& table);
void RegisterModuleBitmap(HINSTANCE module, const std::string& name, BitmapResource bitmap);
// Forgets every resource of the module (when it is unloaded).
void UnregisterModuleResources(HINSTANCE module);

// The text of string `id`; empty when the module or the string is unknown.
std::string LoadString(HINSTANCE module, UINT id);
// Copies the text into `buffer` (at most size - 1 bytes, never splitting a
// UTF-8 sequence, always terminated) and answers its length; 0 when missing.
int LoadStringA(HINSTANCE module, UINT id, char* buffer, int size);

// A handle to a copy of the named bitmap, or null with
// ERROR_RESOURCE_NAME_NOT_FOUND.
HBITMAP LoadBitmap(HINSTANCE module, const char* name);
// The bitmap behind a handle; null for a deleted or unknown handle.
const BitmapResource* GetBitmapResource(HBITMAP bitmap);  // valid until DeleteObject
// Frees a bitmap handle; FALSE with ERROR_INVALID_HANDLE for an unknown one.
BOOL DeleteObject(HBITMAP bitmap);
