// UTF-8 file-system names <-> wide text, for the layers below the class library's strings.
#pragma once

#include <string>

namespace velmora::win {
// Backslashes become slashes when asked: Windows-style paths name the same files here.
std::string ToUtf8(const std::wstring& wide, bool slashes = false);
// Invalid sequences keep their bytes as U+DC80..U+DCFF so that no name is lost.
std::wstring FromUtf8(const char* utf8);
}  // namespace velmora::win
