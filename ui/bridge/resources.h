// The current resource module and the cache of libraries loaded by file name.
//
// Dialogs, bitmaps, menus and strings come from one current resource module: the program's
// own instance, or a library that the start-up names. A library named by file enters the
// cache once (keyed by a global atom, so names that differ only in case share an entry) and
// naming it again returns the same module.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ui {

// Loads the library through the cache, makes it the current resource module and returns it
// (nullptr when it could not be loaded: the program's own resources are used then).
HMODULE SetResources(const std::string& library);
// Makes a module current as it is (nullptr: the program's own resources).
HMODULE SetResources(HMODULE module);
// The current resource module, nullptr when none is set.
HMODULE CurrentResources();
// The effective resource module: the current one, or the program's instance.
HMODULE GetResources();
// Frees every library of the cache and clears the current resource module.
void FreeResources();

// The library of that file through the cache: loaded once; a library that could not be
// loaded keeps its entry with no module, and naming it again does not try again.
HMODULE LoadCachedLibrary(const std::string& file);
// Frees the cached library of that name, or with that module; others are left alone.
void FreeCachedLibrary(const std::string& file);
void FreeCachedLibrary(HMODULE module);
// Entries the cache has room for (it grows 16 at a time; 0 before the first load).
int LibraryCacheCapacity();

// Windows NT has no free-resource gauge: the value kept since the start (90).
int GetFreeSystemResources(int type);

// Total physical memory in bytes.
std::uint64_t NextMem();

// The program's instance handle.
HINSTANCE GetInstance();

// The resource number an all-digit name stands for (1 to 65535); none for any other name,
// which is then a resource name as it is.
std::optional<WORD> ResourceNumber(std::string_view name);

}  // namespace ui
