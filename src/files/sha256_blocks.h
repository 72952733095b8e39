// The SHA-256 compression function over whole 64-byte blocks: the
// processor's SHA instructions where it has them (several times faster,
// which matters for packages of gigabytes), portable code elsewhere.
#pragma once

#include <cstddef>
#include <cstdint>

using Sha256Blocks = void (*)(std::uint32_t state[8], const unsigned char* data,
                              std::size_t blocks);

void Sha256BlocksPortable(std::uint32_t state[8], const unsigned char* data, std::size_t blocks);
// Null when the processor lacks the SHA extensions.
Sha256Blocks Sha256BlocksAccelerated();
// The fastest of the two on this processor.
Sha256Blocks Sha256BlocksBest();
