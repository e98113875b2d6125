// EnginePlatform: what the engine's saved text files take from the platform it runs on.
#pragma once

#include <string>
#include <string_view>

namespace dravo::ref {

// The file name of the library the engine runs in ("server.so"; "server.dll" on Windows), as it was
// loaded, in printable ASCII ('?' for any other character); the platform's usual name when it cannot
// be told.
std::string OwnLibraryName();

// The line break of the platform's text files: "\n", or "\r\n" on Windows.
std::string_view NativeLineBreak();

} // namespace dravo::ref
