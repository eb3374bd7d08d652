// Writing a file so that its target is replaced whole or not at all: the bytes go to a new file
// in the target's folder, which is synced and then renamed over the target. A failure at any
// step removes the new file and leaves the target as it was.
#pragma once

#include <string>

namespace velmora::win {

// Where a file written for the target goes: the file a symbolic link names (so that the link
// stays a link), else the target itself.
std::string ResolveReplaceTarget(const std::string& target);

// Creates a new, empty file beside the target (its path in tempPath) with the target's
// permissions when the target exists; the descriptor, or -1 with errno set.
int CreateFileBeside(const std::string& target, std::string& tempPath);

// Syncs and closes fd, renames tempPath over the target and syncs the folder. 0 on success;
// otherwise the errno of the first failure, with tempPath removed and the target untouched.
int ReplaceWithFile(int fd, const std::string& tempPath, const std::string& target);

// Closes fd (when open) and removes tempPath.
void DiscardFileBeside(int fd, const std::string& tempPath);

// The whole of a byte string written through the three steps above; 0 or the errno of the
// failure.
int WriteFileReplacing(const std::string& target, const void* data, size_t size);

}  // namespace velmora::win
