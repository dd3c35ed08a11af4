#pragma once
// The temporary files that uploads leave on a server when they are cut off (a killed
// program, a lost connection): the part file ".NAME.part-TAG" (PartFileName) and the old
// file set aside while a new one takes its name, ".NAME.old-TAG". Each round removes
// those that earlier rounds left in the folder it publishes to, and nothing else: only
// names of that form whose NAME starts as one of the program's own file names do, and
// only those made before the round began (the TAG starts with the time it was made; a
// tag of an older program, without one, was made before any round of this one). An old
// file set aside is removed only while a file holds its name again.
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace tidemark {

// The names in `folderNames` (file names without a folder) to remove.
std::vector<std::string> StaleUploadNames(const std::vector<std::string>& folderNames,
                                          const std::vector<std::string>& ownNamePrefixes, std::time_t roundStart);

// The names of a folder's files in the listings servers give: an FTP MLSD reply
// ("facts; name" lines, files only), a plain name list (FTP NLST, SFTP), and a WebDAV
// PROPFIND reply (the last segment of every href, decoded, the folder's own left out).
std::vector<std::string> NamesOfMachineListing(std::string_view listing);
std::vector<std::string> NamesOfNameList(std::string_view listing);
std::vector<std::string> NamesOfPropfind(std::string_view reply);

}  // namespace tidemark
