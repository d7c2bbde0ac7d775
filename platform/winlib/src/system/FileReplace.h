// Replacing a file's content so that a crash at any moment leaves either the old content or the
// new one, whole, and a reader never sees anything else.
#pragma once

#include <string>
#include <string_view>

namespace winlib
{

// The path a write should replace: a symbolic link is followed to the file it names, so that the
// link stays a link. Any other path comes back unchanged.
std::string ResolveFileLinks(const std::string& nativePath);

// Writes content to a new file in the same folder, syncs it, renames it over nativePath and syncs
// the folder. The new file keeps the old one's permissions. On failure the old file is untouched
// and the new one removed. Call it holding the file's FileLock: temporaries that a crashed writer
// left behind are removed here, which is safe only while no one else can be writing.
bool ReplaceFileContent(const std::string& nativePath, std::string_view content);

} // namespace winlib
