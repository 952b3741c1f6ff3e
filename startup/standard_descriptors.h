#pragma once

namespace kestrel {

// Opens /dev/null on each of the descriptors 0, 1 and 2 that is closed, before the program opens
// anything: otherwise the first file it opens would take that number, and its messages would be
// written into that file. Call first thing in main(). False when /dev/null could not be opened.
[[nodiscard]] bool openClosedStandardDescriptors();

} // namespace kestrel
