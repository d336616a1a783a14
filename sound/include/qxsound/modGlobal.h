// Library-wide helpers and the per-thread library context.
//
// Creating a SoundEngine8 fills the calling thread's context with the platform objects that every
// sound class takes its device, performance and loader from. The context holds the engine too, so an
// engine lives until the context ends (EndLibraryContext, or the end of the thread), even after the
// host has released it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qxsound {

// The text before the first NUL character of s; s itself if it has none.
std::string TrimAtNull(std::string_view s);

// Last path component ("/" and "\" both separate), without the text after its last ".".
std::string FileTitleWithoutExtension(std::string_view path);

// Text after the last "." of the last path component; the whole component when it has no ".".
std::string FileExtension(std::string_view path);

// Reads a text of "0" and "1" characters as a binary number: each "1" at position i of an n-character
// text adds 2^(n-i); any other character adds nothing; "" gives 0.
int32_t BinaryTextToLong(std::string_view s);

// Whether the calling thread's context holds an engine.
bool LibraryContextHasEngine();

// Whether every entry of the calling thread's context is empty.
bool LibraryContextIsEmpty();

// Ends the calling thread's context: releases its entries, so an engine that no host holds any
// more is torn down now instead of at the end of the thread.
void EndLibraryContext();

}  // namespace qxsound
