// Content-defined chunking: cut points that depend only on the bytes around
// them, so that inserting or removing bytes moves only the chunks nearby. The
// package builder and the launcher cut the same bytes the same way, which is
// what lets an update reuse the chunks a player already has.
#pragma once

#include <cstddef>

// The one set of sizes both sides use.
struct ChunkLimits {
  std::size_t least = 16 * 1024;
  std::size_t average = 64 * 1024;
  std::size_t most = 256 * 1024;
};

// The length of the chunk that starts at `window[0]`: a Gear rolling hash
// (FastCDC with normalized chunking: a stricter mask before `average`, a
// looser one after), never below `least` unless the window is shorter, never
// above `most`. The window holds min(most, bytes left) bytes: at the end of a
// file the rest is the last chunk. Deterministic on every build (the Gear
// table comes from a fixed seed), so both sides cut identically.
std::size_t ChunkLength(const unsigned char* window, std::size_t size, const ChunkLimits& = {});
