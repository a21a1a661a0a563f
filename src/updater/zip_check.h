#pragma once

#include <cstdint>

namespace orvex {

class TStream;

// A jar is installed only when it is a whole zip archive, whatever the transfer's framing said:
// a body cut by the server's close looks like a success to HTTP. Checked from the end: the end
// record (or its zip64 form) must close the file exactly, and the central directory it names
// must lie inside the file before it, hold exactly the entries it counts and point at local
// entries that lie before it. A single-disk archive with at least one entry is whole; anything
// else raises Exception "The download is not a whole zip archive: <reason>".
void CheckWholeZipArchive(TStream& archive);

}  // namespace orvex
