#pragma once
// Capacity for large byte buffers: message bodies and attachments of many megabytes.
#include <cstddef>
#include <string>

namespace klv {

// bytes.reserve(capacity), with the whole 2 MiB stretches of a new buffer marked for
// transparent huge pages before anything is written there: its first touch then costs one
// page fault per 2 MiB instead of one per 4 KiB, and those faults are most of the cost of
// filling a fresh buffer of many megabytes. Contents and capacity are those of reserve alone;
// where the kernel has no huge pages the mark is ignored.
void ReserveBytes(std::string& bytes, std::size_t capacity);

}  // namespace klv
