// WindowsNames: the form Windows gives a file name before it looks the file up, so that two spellings
// of one file are known as one (the instance lock's name is made from this form).
#pragma once

#include <string>
#include <string_view>

namespace dravo {

// The last part of a path as Windows opens it: trailing dots and blanks dropped ("dravosrv.cfg. " opens
// dravosrv.cfg). A name of nothing but dots and blanks is kept as it is: it names no file of its own.
std::wstring WindowsNameForm(std::wstring_view name);

// A name folded as Windows compares file names, for the letters of ASCII (the Windows build folds the
// others with the system's own table as well).
std::wstring FoldAsciiCase(std::wstring_view name);

} // namespace dravo
